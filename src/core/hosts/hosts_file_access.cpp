#include "core/hosts/hosts_file_guard.h"

#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"

namespace vendrel {

platform::FileLock lockHostsFile(const std::string& path)
{
    try {
        return platform::FileLock(path);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

void HostsFileGuard::setPath(std::string path)
{
    path_ = std::move(path);
    acceptCurrentState();
}

std::optional<platform::FileLock> HostsFileGuard::lockForAccess() const
{
    if (locking_ == Locking::HeldByOwner)
        return std::nullopt;
    return lockHostsFile(path_);
}

std::string HostsFileGuard::read()
{
    if (locking_ == Locking::EachAccess)
        finishInterruptedHostsWrite(path_);
    const auto lock = lockForAccess();
    shown_ = platform::fileIdentity(path_);
    return readWholeFile(path_);
}

void HostsFileGuard::acceptCurrentState() { shown_ = platform::fileIdentity(path_); }

bool HostsFileGuard::changedElsewhere() const { return platform::fileIdentity(path_) != shown_; }

std::string HostsFileGuard::currentBytes() const
{
    return platform::fileIdentity(path_).has_value() ? readWholeFile(path_) : std::string();
}

void HostsFileGuard::replaceWitnessed(std::string_view current, std::string_view next, WriteWitness* witness)
{
    if (witness)
        witness->beforeWrite(current, next);
    try {
        writeBytes(next);
    } catch (...) {
        if (witness)
            witness->writeFailed();
        throw;
    }
    acceptCurrentState();
    if (witness)
        witness->written();
}

void HostsFileGuard::writeBytes(std::string_view bytes) const
{
    if (!privileged_) {
        writeWholeFile(path_, bytes);
        return;
    }
    try {
        privileged_->write(bytes);
    } catch (const platform::AuthorisationRefused& refused) {
        throw WriteNotAuthorised(refused.what());
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

void HostsFileGuard::write(std::string_view bytes, WriteWitness* witness)
{
    const auto lock = lockForAccess();
    if (changedElsewhere())
        throw ChangedElsewhere(path_);
    replaceWitnessed(witness && witness->needsCurrent() ? currentBytes() : std::string(), bytes, witness);
}

void HostsFileGuard::replace(std::string_view bytes, WriteWitness* witness)
{
    const auto lock = lockForAccess();
    replaceWitnessed(witness ? currentBytes() : std::string(), bytes, witness);
}

void HostsFileGuard::update(const std::function<std::string(std::string current)>& change, WriteWitness* witness)
{
    const auto lock = lockForAccess();
    std::string current = currentBytes();
    const std::string next = change(witness ? current : std::move(current));
    replaceWitnessed(current, next, witness);
}

std::optional<std::string> finishInterruptedHostsWrite(const std::string& path)
{
    const platform::FileLock lock = lockHostsFile(path);
    try {
        if (const auto copy = platform::finishInterruptedRewrite(path))
            return "The last rewrite of " + path + " was interrupted; it was finished from its complete copy " +
                   *copy + ".";
    } catch (const platform::FileError& error) {
        throw Error(std::string(error.what()) + " " + path +
                    " was left incomplete by an interrupted rewrite; run the program as a user who may write it.");
    }
    return std::nullopt;
}

} // namespace vendrel

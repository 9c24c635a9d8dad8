#include "core/session/change_writer.h"

#include "core/hosts/text_file.h"
#include "core/session/interrupted_write.h"
#include "platform/platform.h"

#include <filesystem>

namespace vendrel {
namespace {

constexpr const char* historyFolderName = "history";

bool exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

std::string bytesOrNothing(const std::string& path)
{
    return platform::fileIdentity(path) ? readWholeFile(path) : std::string();
}

// Whether the file at `path` is still in the state `basis`, by the one rule
// (stillHasBasis); `read` keeps the bytes when they had to be read for it.
bool fileHasBasis(const std::string& path, const FileBasis& basis, std::optional<std::string>& read)
{
    return stillHasBasis(basis, platform::fileIdentity(path), [&]() -> const std::string& {
        if (!read)
            read = bytesOrNothing(path);
        return *read;
    });
}

// The edit a version keeps of its change: none when it holds more than a
// copy of the text would cost, so that the next version is whole instead.
std::optional<LineEdit> editWorthKeeping(const PlannedChange& change)
{
    if (!change.edit || change.edit->newBytes() > change.after.size() / 4 + 4096)
        return std::nullopt;
    return change.edit;
}

} // namespace

std::optional<HostsHistory> ChangeWriter::history() const
{
    if (dataFolder_.empty() || !exists(dataFolder_))
        return std::nullopt;
    return HostsHistory(platform::joinPath(dataFolder_, historyFolderName));
}

std::optional<std::string> ChangeWriter::draftFolder() const
{
    const std::optional<HostsHistory> kept = history();
    if (!kept || locking_ != Locking::HeldByOwner)
        return std::nullopt;
    return kept->folder();
}

std::optional<std::string> ChangeWriter::settleInterruptedWrite(const std::string& path) const
{
    return vendrel::settleInterruptedWrite(path, history(), locking_, privileged_);
}

bool ChangeWriter::dropChangeNeverMade(const std::string& path, const FileBasis& basis) const
{
    const std::optional<HostsHistory> kept = history();
    if (!kept)
        return false;
    const auto lock = lockForAccess(path, locking_);
    std::optional<std::string> read;
    return fileHasBasis(path, basis, read) && kept->dropChangeNeverMade(basis.fingerprint);
}

std::optional<std::string> ChangeWriter::checkBasis(const PlannedChange& change) const
{
    std::optional<std::string> read;
    if (!fileHasBasis(change.path, change.basis, read))
        throw ChangedElsewhere(change.path);
    if (read && change.before && *read != *change.before)
        throw ChangedElsewhere(change.path); // the same fingerprint, other bytes
    return read;
}

bool ChangeWriter::leavesFileAsItIs(const PlannedChange& change, std::optional<std::string>& current,
                                    std::optional<std::string>& afterFingerprint) const
{
    if (change.before || change.move != HistoryMove::Change)
        return !change.mayChangeFile();
    // A lean plan gave its bytes up: only a text of the same fingerprint can
    // be the file's own, and only the file's bytes can prove it.
    afterFingerprint = change.afterFingerprint ? *change.afterFingerprint : contentHash(change.after);
    if (*afterFingerprint != change.basis.fingerprint)
        return false;
    if (!current)
        current = bytesOrNothing(change.path);
    return *current == change.after;
}

AppliedChange ChangeWriter::apply(const PlannedChange& change)
{
    compactor_.finish(); // its thread takes the lock this write is about to take
    const auto lock = lockForAccess(change.path, locking_);
    std::optional<std::string> current = checkBasis(change);
    std::optional<std::string> afterFingerprint;
    if (leavesFileAsItIs(change, current, afterFingerprint))
        return AppliedChange{false, change.basis};
    const std::optional<VersionInfo> kept = keepVersion(change, current, afterFingerprint);
    try {
        writeBytes(change.path, change.after);
    } catch (...) {
        if (kept)
            history()->withdraw(kept->number);
        throw;
    }
    if (kept) {
        afterFingerprint = kept->hashAfter;
        compactAfterWrite(*kept, change);
    }
    return AppliedChange{
        true,
        {platform::fileIdentity(change.path), afterFingerprint ? *afterFingerprint : contentHash(change.after)}};
}

std::optional<VersionInfo> ChangeWriter::keepVersion(const PlannedChange& change, std::optional<std::string>& current,
                                                     const std::optional<std::string>& afterFingerprint)
{
    const std::optional<HostsHistory> found = history();
    if (!found)
        return std::nullopt;
    HostsHistory kept(found->folder(), historyBoundsFor(change.after.size()));
    kept.removeLeftovers(change.draft != nullptr);
    kept.dropChangeNeverMade(change.basis.fingerprint);
    if (change.draft)
        return kept.keep(change.command, change.draft->packed(), change.after, change.move, change.stepped);
    const std::optional<LineEdit> edit = editWorthKeeping(change);
    if (const auto base = kept.baseFor(change.basis.fingerprint, change.after.size()))
        return kept.keepOnBase(change.command, *base, change.after, change.move, change.stepped, edit,
                               afterFingerprint);
    if (!change.before && !current)
        current = bytesOrNothing(change.path); // the file still holds the planned bytes: checked above
    const std::string& before = change.before ? *change.before : *current;
    return kept.keep(change.command, before, change.after, change.move, change.stepped, Packing::Stored, edit);
}

void ChangeWriter::compactAfterWrite(const VersionInfo& kept, const PlannedChange& change)
{
    if (change.draft)
        return; // written compressed already
    if (locking_ == Locking::HeldByOwner)
        compactor_.compactAtFinish(*history(), kept.number);
    else
        compactor_.compactLater(*history(), kept.number, change.path);
}

void ChangeWriter::writeBytes(const std::string& path, std::string_view bytes) const
{
    if (!privileged_) {
        writeWholeFile(path, bytes);
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

} // namespace vendrel

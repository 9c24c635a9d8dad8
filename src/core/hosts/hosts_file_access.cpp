#include "core/hosts/hosts_file_access.h"

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

std::optional<platform::FileLock> lockForAccess(const std::string& path, Locking locking)
{
    if (locking == Locking::HeldByOwner)
        return std::nullopt;
    return lockHostsFile(path);
}

CurrentFile readHostsFile(const std::string& path, Locking locking)
{
    const auto lock = lockForAccess(path, locking);
    CurrentFile current;
    current.basis.identity = platform::fileIdentity(path);
    if (current.basis.identity)
        current.bytes = readWholeFile(path);
    current.basis.fingerprint = contentHash(current.bytes);
    return current;
}

} // namespace vendrel

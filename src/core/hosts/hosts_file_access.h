#pragma once

#include "core/error.h"
#include "core/history/version_file.h"
#include "platform/file_identity.h"
#include "platform/file_lock.h"

#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

// The hosts file changed on disk after the editor loaded it; nothing was written.
class ChangedElsewhere : public Error {
public:
    explicit ChangedElsewhere(const std::string& path)
        : Error(path + " was changed by another program since it was loaded, so the change was not written.")
    {
    }
};

// The user refused the administrator's authorisation that a write of the
// system hosts file needed; nothing was written.
class WriteNotAuthorised : public Error {
public:
    using Error::Error;
};

// Who holds the hosts file's lock: each read and write takes it for itself,
// or the owner holds it throughout (as a command of the CLI does), and it
// must not be taken again.
enum class Locking { EachAccess, HeldByOwner };

// Which state of the hosts file something was made from: the file's identity
// (none when there was no file) and the contentHash of the bytes read.
struct FileBasis {
    std::optional<platform::FileIdentity> identity;
    std::string fingerprint;
};

// The hosts file as it was read: its bytes (empty when there is no file) and
// the state they are.
struct CurrentFile {
    std::string bytes;
    FileBasis basis;
};

// Reads the hosts file at `path` under its lock (unless the owner holds
// it); a missing file reads as no bytes.
CurrentFile readHostsFile(const std::string& path, Locking locking);

// Whether the file, now `identity`, is still in the state `basis`: the same
// identity, or, when it was written meanwhile, the same bytes (read through
// `bytes` only then). This is the one rule by which a change made from one
// state of the file is refused over another.
template <typename ReadBytes>
bool stillHasBasis(const FileBasis& basis, const std::optional<platform::FileIdentity>& identity, ReadBytes&& bytes)
{
    if (identity == basis.identity)
        return true;
    if (basis.fingerprint.empty())
        return false;
    return contentHash(bytes()) == basis.fingerprint;
}

// Takes the lock of the hosts file at `path`, as every load-change-write
// holds it; throws Error when another program keeps it too long.
platform::FileLock lockHostsFile(const std::string& path);

// The lock for one access, or nothing when the owner holds it.
std::optional<platform::FileLock> lockForAccess(const std::string& path, Locking locking);

} // namespace vendrel

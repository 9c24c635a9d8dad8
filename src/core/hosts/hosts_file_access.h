#pragma once

#include "core/error.h"
#include "platform/file_identity.h"
#include "platform/file_lock.h"
#include "platform/privileged_writer.h"

#include <functional>
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

// The editor's hold on the file it shows: which state of the file on disk
// its rows came from. Every write takes the file's lock and replaces the file
// in one atomic step, then remembers the new state. A write of text made from
// rows loaded earlier first checks that the file is still in the state they
// came from, so that a change another program made meanwhile is never
// overwritten without the user knowing.
// Told of every write of the hosts file; the file's history keeps its
// versions through it.
class WriteWitness {
public:
    virtual ~WriteWitness() = default;
    // Under the file's lock, right before `next` replaces `current`; what it
    // throws stops the write.
    virtual void beforeWrite(std::string_view current, std::string_view next) = 0;
    // The write it was told of failed; the file is as it was.
    virtual void writeFailed() = 0;
    // The write it was told of is done, still under the file's lock.
    virtual void written() {}
    // False for a witness that already holds the bytes the guard read last:
    // a write() checked to find the file still in that state then does not
    // read it again, and `current` is empty.
    virtual bool needsCurrent() const { return true; }
};

class HostsFileGuard {
public:

    // Who holds the file's lock: each read and write takes it for itself, or
    // the owner holds it throughout (as a command of the CLI does), and the
    // guard must not take it again.
    enum class Locking { EachAccess, HeldByOwner };

    HostsFileGuard() = default;
    explicit HostsFileGuard(std::string path, Locking locking = Locking::EachAccess)
        : path_(std::move(path)), locking_(locking)
    {
    }

    const std::string& path() const { return path_; }
    Locking locking() const { return locking_; }
    // From now on the file is written through `writer`, with administrator
    // rights, or again directly when it is null. A refused authorisation
    // throws WriteNotAuthorised.
    void setPrivilegedWriter(platform::PrivilegedWriter* writer) { privileged_ = writer; }
    bool writesWithPrivileges() const { return privileged_ != nullptr; }
    // Follows the file to another path, taking its current state as the shown one.
    void setPath(std::string path);

    // Reads the file (finishing an interrupted rewrite first) and remembers
    // the state it was read in.
    std::string read();
    // Takes the file's current state as the one shown, as after a reload.
    void acceptCurrentState();
    bool changedElsewhere() const;

    // Replaces the file by `bytes` made from the rows shown; throws
    // ChangedElsewhere when it is no longer in the state they came from,
    // Error when it cannot be written.
    void write(std::string_view bytes, WriteWitness* witness = nullptr);
    // Replaces the file by a text that owes nothing to its old one (a
    // backup, another file, the default text).
    void replace(std::string_view bytes, WriteWitness* witness = nullptr);
    // Replaces the file by the bytes `change` makes of its current text,
    // read and written under one hold of the lock.
    void update(const std::function<std::string(std::string current)>& change, WriteWitness* witness = nullptr);

private:
    // The lock for one access, or nothing when the owner holds it.
    std::optional<platform::FileLock> lockForAccess() const;
    // The file's bytes, or none when it does not exist.
    std::string currentBytes() const;
    // Tells `witness`, if any, then replaces the file by `next`.
    void replaceWitnessed(std::string_view current, std::string_view next, WriteWitness* witness);
    void writeBytes(std::string_view bytes) const;

    std::string path_;
    Locking locking_ = Locking::EachAccess;
    std::optional<platform::FileIdentity> shown_;
    platform::PrivilegedWriter* privileged_ = nullptr;
};

// Takes the lock of the hosts file at `path`, as every load-change-write
// holds it; throws Error when another program keeps it too long.
platform::FileLock lockHostsFile(const std::string& path);

// Finishes a rewrite of `path` that was interrupted (by a kill, say) from the
// complete copy it left, under the file's lock. Returns what was done, for
// the user, or nothing when there was nothing to finish. Throws Error when
// the copy cannot be put in place.
std::optional<std::string> finishInterruptedHostsWrite(const std::string& path);

} // namespace vendrel

#pragma once

#include "core/history/hosts_history.h"
#include "core/history/version_compactor.h"
#include "core/hosts/hosts_file_access.h"
#include "core/session/planned_change.h"
#include "platform/privileged_writer.h"

#include <optional>
#include <string>

namespace vendrel {

// What became of a planned change.
struct AppliedChange {
    // False when the text after was the file's own: nothing was written and no version kept.
    bool written = false;
    // The state the file is in now.
    FileBasis basis;
};

// Writes planned changes of the hosts file: under the file's lock, only
// while the file is still in the state the change was planned from
// (ChangedElsewhere otherwise), keeping the bytes it replaces as a version in
// the history of the data folder, in one atomic replacement of the file, and
// not at all when the change changes nothing.
class ChangeWriter {
public:
    // Without a data folder (or when it does not exist) no versions are kept.
    explicit ChangeWriter(std::string dataFolder = {}, Locking locking = Locking::EachAccess)
        : dataFolder_(std::move(dataFolder)), locking_(locking)
    {
    }

    void setDataFolder(std::string dataFolder) { dataFolder_ = std::move(dataFolder); }

    // Writes the hosts file through `writer`, with administrator rights, from
    // now on; directly again when it is null. A refused authorisation throws
    // WriteNotAuthorised.
    void writeWithPrivileges(platform::PrivilegedWriter* writer) { privileged_ = writer; }
    bool writesWithPrivileges() const { return privileged_ != nullptr; }

    // The versions the hosts file had before each change; none without a data folder.
    std::optional<HostsHistory> history() const;
    // Where a memory-lean plan may pack its version ahead of the write: only
    // for an owner that holds the lock throughout, and only with a history.
    std::optional<std::string> draftFolder() const;

    AppliedChange apply(const PlannedChange& change);

    // Settles an interrupted rewrite of the hosts file at `path` (see
    // settleInterruptedWrite), with this writer's history and locking.
    std::optional<std::string> settleInterruptedWrite(const std::string& path) const;
    // Drops the newest version when it was kept for a change of the file at
    // `path` that never reached it (HostsHistory::dropChangeNeverMade), under
    // the file's lock, while the file is in the state `basis`. Returns
    // whether it dropped one.
    bool dropChangeNeverMade(const std::string& path, const FileBasis& basis) const;

    // Waits until the version kept before the last write is compressed.
    void finishHistoryWork() { compactor_.finish(); }

private:
    // The file's bytes now, when the change does not hold them; throws
    // ChangedElsewhere when the file is no longer in the planned state.
    std::optional<std::string> checkBasis(const PlannedChange& change) const;
    // Whether the text after is the one the file holds; `current` and
    // `afterFingerprint` keep what it had to read or compute for that.
    bool leavesFileAsItIs(const PlannedChange& change, std::optional<std::string>& current,
                          std::optional<std::string>& afterFingerprint) const;
    std::optional<VersionInfo> keepVersion(const PlannedChange& change, std::optional<std::string>& current,
                                           const std::optional<std::string>& afterFingerprint);
    void writeBytes(const std::string& path, std::string_view bytes) const;
    void compactAfterWrite(const VersionInfo& kept, const PlannedChange& change);

    // First, so that it goes last: a compression put off until the writer
    // goes runs when the texts of the change are gone.
    VersionCompactor compactor_;
    std::string dataFolder_;
    Locking locking_;
    platform::PrivilegedWriter* privileged_ = nullptr;
};

} // namespace vendrel

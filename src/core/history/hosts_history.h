#pragma once

#include "core/history/version_draft.h"
#include "core/history/version_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// How much history stays on disk.
struct HistoryBounds {
    std::size_t versions = 100;
    std::uint64_t bytes = std::uint64_t{256} << 20;
};

// The bounds of the history of a hosts file of `fileSize` bytes: room for
// 100 changes and a step back over each (200 versions), and 64 MiB or ten
// times the file, whichever is larger.
HistoryBounds historyBoundsFor(std::uint64_t fileSize);

// How many versions on a base may follow a whole one: restoring any version
// reads one whole version and at most this many small ones.
inline constexpr std::size_t longestVersionChain = 48;

// The versions of the hosts file kept in a folder of their own, newest
// last: before every change the file's bytes are written there, compressed,
// before the file itself is replaced. Within its bounds (historyBoundsFor)
// the newest stay; the oldest go first, never the newest.
//
// A version also keeps the edit of its change when the change knows it (the
// lines it replaced). The next version, whose bytes are then the previous
// version's with that edit made, keeps no bytes of its own but names that
// version as its base: one changed line costs one line kept. Every
// longestVersionChain versions a whole one is kept again, so that no
// version is built from more than that many edits; the bounds drop a whole
// version only together with the versions built on it, unless the newest is
// among them, when the first one left is made whole first.
//
// Undo and redo are two lists of version numbers, replayed from the moves
// the versions record. Undoing the change that version N was kept for
// writes N's bytes back; that write keeps a version of its own, which is
// then what a redo writes back, and so on: every step leaves a version, so
// nothing a step replaces is lost.
class HostsHistory {
public:
    explicit HostsHistory(std::string folder, HistoryBounds bounds = {}) : folder_(std::move(folder)), bounds_(bounds)
    {
    }

    const std::string& folder() const { return folder_; }

    // Keeps `before` as the version ahead of `command`, which makes the file
    // `after`; `move` says what it does to the undo and redo lists, and
    // `stepped` is the version an undo or redo wrote back. Throws Error
    // naming the folder when the version cannot be written: the change must
    // then not be made.
    // With Packing::Stored the bytes are written as they are, which is much
    // faster; compact() compresses them afterwards.
    VersionInfo keep(std::string_view command, std::string_view before, std::string_view after,
                     HistoryMove move = HistoryMove::Change, std::uint64_t stepped = 0,
                     Packing packing = Packing::Compressed, const std::optional<LineEdit>& edit = std::nullopt);
    // The version a change of the file in the state `fingerprint` may keep
    // its bytes as: the newest, when it keeps the edit that made that state
    // and another version on it stays within the chain's bounds for a text
    // of `textSize` bytes.
    std::optional<VersionInfo> baseFor(const std::string& fingerprint, std::size_t textSize) const;
    // Keeps the version ahead of `command` as `base`'s bytes with its edit
    // made (see baseFor), with `edit`, the change's own, when given;
    // `afterHash` is the contentHash of `after` when it is known already.
    VersionInfo keepOnBase(std::string_view command, const VersionInfo& base, std::string_view after, HistoryMove move,
                           std::uint64_t stepped, const std::optional<LineEdit>& edit,
                           const std::optional<std::string>& afterHash = std::nullopt);
    // The same for a version packed ahead of the change (VersionDraft), whose
    // compressed chunks are written as they are.
    VersionInfo keep(std::string_view command, const PackedVersion& before, std::string_view after,
                     HistoryMove move = HistoryMove::Change, std::uint64_t stepped = 0);
    // Compresses version `number` in place (one atomic replacement) when it
    // is stored; nothing when it is compressed or gone. Run under the hosts
    // file's lock, as every change of the history is.
    void compact(std::uint64_t number) const;

    // Removes what writers killed before they finished left in the folder:
    // the temporary files of version and draft writes (a live writer's are
    // never taken) and, unless `keepDrafts`, the pieces of drafted versions.
    // Only under the hosts file's lock, which every writer of the history
    // holds, so that no live writer's drafts go.
    void removeLeftovers(bool keepDrafts = false) const;

    // Takes back the version just kept when the write it was kept for
    // failed, so that a failed change leaves no trace.
    void withdraw(std::uint64_t number) const;
    // Drops the newest version when the change it was kept for never reached
    // the file, which a writer killed between the two writes leaves: its
    // text before is the file as it is (`fingerprint`), its text after is
    // not. Its bytes are the file's, so nothing is lost. Returns whether it
    // dropped one. Only under the hosts file's lock.
    bool dropChangeNeverMade(const std::string& fingerprint) const;

    // Every kept version, oldest first; an unreadable one is left out.
    std::vector<VersionInfo> versions() const;
    VersionInfo info(std::uint64_t number) const;
    // The bytes of version `number`; throws Error when it is gone or damaged,
    // or so is a version it is built from.
    std::string bytes(std::uint64_t number) const;
    // The edit of version `number`'s change, when it keeps one; throws
    // Error when it is gone or damaged.
    std::optional<LineEdit> edit(std::uint64_t number) const;

    // The version an undo (or redo) writes back next, if any.
    std::optional<std::uint64_t> nextUndo() const;
    std::optional<std::uint64_t> nextRedo() const;

private:
    struct Lists {
        std::vector<std::uint64_t> undo;
        std::vector<std::uint64_t> redo;
    };

    // The next version's number, time, command and move; makes the folder.
    VersionInfo nextVersion(std::string_view command, HistoryMove move, std::uint64_t stepped) const;
    // Writes version `info` as `file`, then drops what is beyond the bounds.
    VersionInfo store(VersionInfo info, const std::string& file) const;
    std::string draftedVersionFile(const VersionInfo& info, const PackedVersion& packed) const;
    std::string versionPath(std::uint64_t number) const;
    std::vector<std::uint64_t> numbers() const;
    Lists lists() const;
    void dropBeyondBounds(std::uint64_t newest) const;
    // The versions from the whole one that `number` is built from up to
    // `number`, oldest first; throws Error when the chain is broken.
    std::vector<VersionInfo> chainTo(std::uint64_t number) const;
    // Rewrites version `number` as a whole one, its bytes `bytes`.
    void makeWhole(const VersionInfo& info, const std::string& bytes) const;

    std::string folder_;
    HistoryBounds bounds_;
};

} // namespace vendrel

#pragma once

#include "core/history/line_edit.h"
#include "core/history/version_draft.h"
#include "core/history/version_file.h"
#include "core/hosts/hosts_file_access.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vendrel {

// A change of the hosts file, worked out and not yet written: the file it is
// for and the state it was made from, the text it makes of it, and its name
// in the history. A command plans it; the user may be shown it; the change
// writer applies it only while the file is still in that state.
struct PlannedChange {
    std::string path;
    std::string command;
    FileBasis basis;
    // The bytes it was made from, unless a memory-lean plan gave them up for
    // the `draft` of their version.
    std::optional<std::string> before;
    std::string after;
    // An undo or redo: which way it moves the history, and the version it writes back.
    HistoryMove move = HistoryMove::Change;
    std::uint64_t stepped = 0;
    // The version of the bytes before, packed while the change was worked out.
    std::shared_ptr<VersionDraft> draft;
    // What the user is told of the change beside its result, if anything.
    std::string note;
    // The lines the change replaces, when the command knows them: `after` is
    // the text it was made from with this edit made. The history then keeps
    // the next version as an edit of this one's.
    std::optional<LineEdit> edit;
    // The contentHash of `after`, when the command worked it out already.
    std::optional<std::string> afterFingerprint;

    // False when the text after is, provably, the text it was made from. A
    // step through the history always moves it, so it is always written.
    bool mayChangeFile() const { return move != HistoryMove::Change || !before || *before != after; }
};

// The change `command` makes of the file as it was read: `after` in its place.
inline PlannedChange planFrom(const std::string& path, CurrentFile current, std::string command, std::string after)
{
    PlannedChange change;
    change.path = path;
    change.command = std::move(command);
    change.basis = std::move(current.basis);
    change.before = std::move(current.bytes);
    change.after = std::move(after);
    return change;
}

} // namespace vendrel

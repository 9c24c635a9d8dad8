#pragma once

#include "core/history/hosts_history.h"
#include "core/session/change_writer.h"
#include "core/session/hosts_document.h"
#include "core/session/planned_change.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vendrel {

// The steps through the hosts file's history, as plans (see hosts_commands.h).

// The version before the last change (or the last undo) written back, from
// the history of `writer`. Throws Error when there is none, or when another
// program changed the file since that change, which is then left alone. A
// version kept for a change (or step) that never reached the file is dropped
// first.
PlannedChange planUndo(const HostsDocument& document, const ChangeWriter& writer);
PlannedChange planRedo(const HostsDocument& document, const ChangeWriter& writer);
// Version `number` written back, as a change of its own.
PlannedChange planRestoreVersion(const HostsDocument& document, const std::optional<HostsHistory>& history,
                                 std::uint64_t number);

// The command a step undoes or redoes: "Undo Sort File" and "Redo Sort File"
// both stand for "Sort File".
std::string undoneCommand(const std::string& command);

} // namespace vendrel

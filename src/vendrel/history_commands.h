#pragma once

#include "core/session/change_writer.h"
#include "core/session/hosts_document.h"
#include "core/session/planned_change.h"
#include "vendrel/command_host.h"

#include <optional>

namespace vendrel::gui {

// Undo and redo of the changes made to the hosts file, window-wide by key:
// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo. They act on the list; in
// Memopad and Whitelist mode, and in a text box being typed in, the keys
// are the text's own.
class HistoryCommands final : public CommandFamily {
public:
    explicit HistoryCommands(CommandHost& host);

    void undoClick();
    void redoClick();

private:
    using StepPlan = vendrel::PlannedChange (*)(const vendrel::HostsDocument&, const vendrel::ChangeWriter&);
    // Plans the step, writes it and shows the file it leaves; a refusal is
    // told and changes nothing.
    void step(StepPlan plan);
};

} // namespace vendrel::gui

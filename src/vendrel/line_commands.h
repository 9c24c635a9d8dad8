#pragma once

#include "vendrel/command_host.h"

namespace vendrel::gui {

class HostsTableModel;

// The commands on the selected line: the comment toggle and its check box,
// adding a typed line, deleting, the clipboard, and the search.
class LineCommands final : public CommandFamily {
public:
    LineCommands(CommandHost& host, HostsTableModel& model, ControlRecords controls);

    // The check box says whether the selected line is a comment.
    void UpdateCommentState();
    void ToggleLineComment();
    void deleteline();

private:
    int selectedRow() const;
    void commentCheckBoxClick();
    void toggleCommentClick();
    void addLineBoxClick();
    void addLineClick();
    void deleteLineClick();
    void copyHostsToClipboardClick();
    void copyDomainToClipboardClick();
    void search(bool forward);

    HostsTableModel& model_;
};

} // namespace vendrel::gui

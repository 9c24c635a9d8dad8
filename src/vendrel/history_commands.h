#pragma once

#include "vendrel/command_host.h"

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
    // Runs `step` on the session and shows the file it leaves; a refusal is
    // told and changes nothing.
    void step(std::string (vendrel::HostsSession::*step)());
};

#pragma once

#include "core/hosts/hosts_file_access.h"
#include "vendrel/command_host.h"

#include <string>

namespace vendrel::gui {

class PlainTextArea;

// Memopad mode: the hosts file edited as raw text in the plain-text area.
class MemopadCommands final : public CommandFamily {
public:
    MemopadCommands(CommandHost& host, PlainTextArea& area, MainMenus& menus);

private:
    void openInMemopadClick();
    void saveHostsClick();
    void saveAsClick();
    void saveHostsExitMemopadClick();
    void exitMemopadClick();
    void leaveMemopad();
    // Writes the text as the hosts file; over another program's change only when the user says so.
    void writeHostsFromPlainText(const std::string& bytes);

    PlainTextArea& area_;
    // The state of the hosts file the text shown was read from, or last saved as.
    vendrel::FileBasis shown_;
};

} // namespace vendrel::gui

#pragma once

#include "vendrel/command_host.h"

#include <QString>

namespace vendrel::gui {

class DesktopShell;

// The Help menu and the block lists' web pages: each opened by the desktop.
class HelpCommands final : public CommandFamily {
public:
    HelpCommands(CommandHost& host, DesktopShell& shell, MainMenus& menus);

    // Opens a web page; an address without a scheme is opened over http.
    void LaunchWebsite(const QString& websiteUrl);
    // "View Help File" shows only while the help file is in the program folder.
    void updateHelpItemVisibility();

private:
    void helpFileClick();

    DesktopShell& shell_;
};

} // namespace vendrel::gui

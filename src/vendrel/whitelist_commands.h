#pragma once

#include "vendrel/command_host.h"

namespace vendrel::gui {

class PlainTextArea;

// The whitelist: a line moved from the hosts file onto it, its hosts removed
// from or added back to the hosts file, and Whitelist mode, where it is
// edited as text in the plain-text area.
class WhitelistCommands final : public CommandFamily {
public:
    WhitelistCommands(CommandHost& host, PlainTextArea& area, ControlRecords controls);

    void DeleteAddtoWL();
    void Whitelistmenutoggleon();
    void Whitelistmenutoggleoff();

private:
    void removeWhitelistItemsClick();
    void addWhitelistItemsClick();
    void viewEditWhitelistClick();
    void saveAndExitWhitelistClick();
    void exitWhitelistClick();

    PlainTextArea& area_;
};

} // namespace vendrel::gui

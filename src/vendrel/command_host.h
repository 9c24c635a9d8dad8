#pragma once

#include "vendrel/prompter.h"
#include "vendrel/window_state.h"

#include <QObject>

#include <functional>
#include <string>

class QAbstractButton;
class QAction;
class QWidget;
namespace platform {
class Platform;
}
namespace vendrel {
class ChangeWriter;
class HostsDocument;
struct EditorPaths;
struct PlannedChange;
} // namespace vendrel

namespace vendrel::gui {

class HostsTableModel;
class HostsTableView;
class StatusProgressBar;
struct MainMenus;
struct MainWidgets;

// What a family of commands may use of the editor window: its controls, the
// prompter, the hosts document and the writer of its changes, and the
// window's own steps that commands end with. The window is the one host.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual QWidget* dialogParent() = 0;
    virtual const MainWidgets& widgets() const = 0;
    virtual const MainMenus& menus() const = 0;
    virtual Prompter& prompter() = 0;
    virtual platform::Platform& system() = 0;
    // The hosts file: its path, rows and state; the one home of its path.
    virtual vendrel::HostsDocument& document() = 0;
    virtual vendrel::ChangeWriter& changeWriter() = 0;
    virtual const vendrel::EditorPaths& paths() const = 0;
    // Writes a planned change through the writer; the rows then stand for
    // the file it leaves. A change that changes nothing writes nothing, and
    // the status line says so when the command ends. False then.
    virtual bool applyChange(const vendrel::PlannedChange& change) = 0;
    // Saves the rows after a line command named `command`; the document
    // keeps the text written, so that the next line command writes only its
    // lines anew.
    void saveRows(std::string command);
    virtual HostsTableModel& model() = 0;

    // Runs `command` as every command runs: an open cell edit is stored
    // first, and an error is shown, after which the program ends.
    virtual void runCommand(const std::function<void()>& command) = 0;
    // Loads the hosts file into the list again, with its attributes.
    virtual void PopulateList() = 0;
    virtual void ShowLineCount() = 0;
    virtual void TrimMemory() = 0;
    // What follows every load of the rows: column widths, line count, memory.
    virtual void showLoadedRows() = 0;
    // "View Help File" follows the help file's presence.
    virtual void updateHelpItemVisibility() = 0;
    // Deletes the selected line and saves (the Delete command after OK).
    virtual void deleteline() = 0;
    // The next file dialog opens where `path` is.
    virtual void rememberChosenFile(std::string path) = 0;
    // The window enters `mode` (Idle ends the one it was in) and shows what it allows.
    virtual void setMode(WindowMode mode) = 0;
};

// The window's records of its menu items and controls. A family fills in the
// items and buttons it creates; the window's layout then places them.
struct ControlRecords {
    MainMenus& menus;
    MainWidgets& widgets;
};

// A family of commands: it creates its menu items and buttons with their
// captions, connects them to its own entry points, each run through the
// host's runCommand, and holds the state its commands share. Its menu items
// end with it; its buttons belong to the panels the layout puts them in.
class CommandFamily : public QObject {
public:
    explicit CommandFamily(CommandHost& host) : host_(host) {}

protected:
    // A menu item `caption` that runs `command`.
    QAction* newAction(const char* caption, std::function<void()> command);
    // A button `caption`, still without a parent, that runs `command`.
    template <typename Button>
    Button* newButton(const QString& caption, std::function<void()> command)
    {
        auto* button = new Button(caption);
        connectButton(button, std::move(command));
        return button;
    }
    void connectButton(QAbstractButton* button, std::function<void()> command);
    // Shows a message through the host's prompter; true when answered OK.
    bool ask(const Prompter::Message& message);
    // The shared OK/Cancel confirmation.
    bool confirm(const QString& text, const QString& details = {});
    // Writes the rows, changed by `command`, as the hosts file.
    void saveRows(const char* command);
    // Plans the change under the busy cursor, asks `question` with that
    // change told in its details, and after OK writes exactly what was shown.
    // True when the user confirmed it.
    bool confirmChange(const QString& question, const std::function<vendrel::PlannedChange()>& plan);

    CommandHost& host_;
};

} // namespace vendrel::gui

#pragma once

#include "core/download/block_lists.h"
#include "core/download/url_grabber.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_file_access.h"
#include "core/session/change_writer.h"
#include "core/session/hosts_document.h"
#include "vendrel/command_host.h"
#include "vendrel/design_scale.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/window_state.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAbstractButton;
class QAction;
namespace platform {
class Platform;
}

namespace vendrel::gui {

class AnchorKeeper;
class DesktopShell;
class BackupCommands;
class DownloadCommands;
class SourceCommands;
class FileCommands;
class MemopadCommands;
class PlainTextArea;
class WhitelistCommands;
class HelpCommands;
class HistoryCommands;
class LineCommands;
class HostsTableModel;
class Prompter;

struct MainWindowOptions {
    // Pixels per inch of the screen; read from the screen when not given.
    std::optional<double> dpi;
    // Ends the program with an exit code; by default leaves the event loop.
    std::function<void(int)> endProgram;
    // Opens web pages and the help file; by default the desktop's handlers.
    DesktopShell* shell = nullptr;
    // Fetches the block lists from this host ("name:port") instead of their publishers'.
    std::string downloadHost;
};

// The editor's one window: the hosts list, the tool panels and the menus.
// Every command runs through runCommand(), which first stores an open cell
// edit and turns any error into "ERROR: " + message, after which the program ends.
class MainWindow final : public QMainWindow, private CommandHost, private vendrel::RowsObserver {
    Q_OBJECT

public:
    MainWindow(platform::Platform& system, Prompter& prompter, MainWindowOptions options = {});
    ~MainWindow() override;

    // Start-up: locate the files, lay out and show the window, unlock and
    // load the hosts file. False when the program ended on the way.
    bool FormCreate();

    // Whether PopulateList() loads the rows again or only takes the file's
    // attributes and state (after a change of attributes alone).
    enum class Rows { Reload, Keep };
    void PopulateList(Rows rows);
    void PopulateList() override { PopulateList(Rows::Reload); }
    // Saves the rows as the hosts file.
    void SaveList();
    void ShowLineCount() override;
    void AdjustTabs();
    void TrimMemory() override;

    void deleteline() override;

    vendrel::HttpUrlGrabber& grabber();

    // Runs one command as the error handler requires.
    void runCommand(const std::function<void()>& command) override;

    bool programEnded() const { return programEnded_; }
    int exitCode() const { return exitCode_; }

    const MainWidgets& widgets() const override { return widgets_; }
    const MainMenus& menus() const override { return menus_; }
    HostsTableModel& model() override { return *model_; }
    const vendrel::EditorPaths& paths() const override { return paths_; }
    const std::string& hostsPath() const { return document_.path(); }
    const std::string& redirectAddress() const { return document_.redirectAddress(); }
    bool hostsReadOnly() const { return state_.access == HostsAccess::ReadOnly; }

private:
    void layOutWindow();
    void unlockHostsFile();
    void showPlatformMenus();
    // The rest of the command host.
    QWidget* dialogParent() override { return this; }
    Prompter& prompter() override { return prompter_; }
    platform::Platform& system() override { return system_; }
    vendrel::HostsDocument& document() override { return document_; }
    vendrel::ChangeWriter& changeWriter() override { return writer_; }
    bool applyChange(const vendrel::PlannedChange& change) override;
    void rememberChosenFile(std::string path) override;
    void setMode(WindowMode mode) override;
    void updateHelpItemVisibility() override;
    // Loads the rows and the redirect address from the hosts file.
    void reloadRows();
    // What follows every load of the rows: column widths, line count, memory.
    void showLoadedRows() override;
    // The rows' observer: the list is reset around a wholesale change and
    // shows its new state at once, even while long work goes on.
    void rowsAboutToBeReplaced() override;
    void rowsReplaced() override;
    void offerDefaultHostsFile();
    void setAccess(HostsAccess access);
    void createCommandFamilies();
    void connectCommands();
    void connectButton(QAbstractButton* button, void (MainWindow::*handler)());

    void widenButtonClick();
    void writableToggleClick();
    // For a hosts file the user may not write: asks whether to write it with
    // administrator rights and, once authorised, keeps the list writable.
    void offerAdministratorRights();
    // A write was not authorised: the list is read-only again.
    void endAdministratorRights(const vendrel::WriteNotAuthorised& refused);
    void saveAfterCellEdit();
    void endProgram(int exitCode);
    // Tells that the hosts file changed on disk and offers to load it again.
    void offerReload(const vendrel::ChangedElsewhere& changed);
    int windowWidth() const;

    platform::Platform& system_;
    Prompter& prompter_;
    MainWindowOptions options_;
    DesignScale scale_;
    MainWidgets widgets_;
    MainMenus menus_;
    HostsTableModel* model_ = nullptr;
    AnchorKeeper* anchors_ = nullptr;

    vendrel::EditorPaths paths_;
    // The hosts file and its rows (which the list shows), and the writer of its changes.
    vendrel::HostsDocument document_;
    vendrel::ChangeWriter writer_;
    // A command's change left the file as it was: the status line says so when the command ends.
    bool changeLeftFileAlone_ = false;
    std::unique_ptr<PlainTextArea> plainTextArea_;
    std::unique_ptr<MemopadCommands> memopad_;
    std::unique_ptr<WhitelistCommands> whitelist_;
    std::unique_ptr<HistoryCommands> history_;

    std::unique_ptr<DesktopShell> systemShell_;
    DesktopShell* shell_ = nullptr;
    std::unique_ptr<LineCommands> lines_;
    std::unique_ptr<HelpCommands> help_;
    std::unique_ptr<DownloadCommands> download_;
    std::unique_ptr<SourceCommands> sources_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<BackupCommands> backup_;
    std::uint16_t hostsAttributes_ = 0;
    WindowState state_;
    bool programEnded_ = false;
    int exitCode_ = 0;
};

} // namespace vendrel::gui

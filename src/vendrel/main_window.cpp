#include "vendrel/main_window.h"

#include "core/error.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_count.h"
#include "core/hosts/list_file_format.h"
#include "core/session/hosts_commands.h"
#include "platform/platform.h"
#include "platform/privileged_writer.h"
#include "vendrel/anchor_keeper.h"
#include "vendrel/backup_commands.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/download_commands.h"
#include "vendrel/file_commands.h"
#include "vendrel/help_commands.h"
#include "vendrel/history_commands.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/line_commands.h"
#include "vendrel/memopad_commands.h"
#include "vendrel/plain_text_area.h"
#include "vendrel/prompter.h"
#include "vendrel/source_commands.h"
#include "vendrel/startup_layout.h"
#include "vendrel/status_progress_bar.h"
#include "vendrel/web_addresses.h"
#include "vendrel/whitelist_commands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>

namespace vendrel::gui {

namespace {

constexpr int designWindowWidth = 531;
constexpr int designWindowHeight = 462;

const QString systemFileWarning = QStringLiteral(
    "Your HOSTS file is marked as a \"system file\" and can NOT be manipulated.\r\n"
    "Press OK to remove hidden and system file attributes, CANCEL to Quit.\r\n\r\n"
    "       ***Vendrel will NOT reset these attributes.***");
const QString reloadChangedQuestion = QStringLiteral(
    "\r\n\r\nPress OK to load the file as it is now, CANCEL to keep the list as shown "
    "(your next change then replaces the file).");
const QString administratorRightsQuestion = QStringLiteral(
    "Vendrel needs administrator rights to change the hosts file.");
const QString missingHostsQuestion = QStringLiteral(
    "HOSTS file does not exist, press OK to create HOSTS file, Cancel to Quit.");

// Thrown to end the program from inside a command; runCommand() ends it.
struct ProgramEnd {
    int exitCode;
};

double screenDpi(const MainWindowOptions& options)
{
    if (options.dpi)
        return *options.dpi;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

} // namespace

MainWindow::MainWindow(platform::Platform& system, Prompter& prompter, MainWindowOptions options)
    : system_(system), prompter_(prompter), options_(std::move(options)), scale_(screenDpi(options_))
{
    if (!options_.endProgram)
        options_.endProgram = [](int code) { QCoreApplication::exit(code); };
    if (!options_.shell)
        systemShell_ = std::make_unique<SystemDesktopShell>();
    shell_ = options_.shell ? options_.shell : systemShell_.get();

    setWindowTitle(QStringLiteral("Vendrel 3.6      by the Vendrel developers"));
    setFont(scale_.arial(11));
    auto* client = new QWidget(this);
    setCentralWidget(client);
    widgets_ = buildMainWidgets(client, scale_);
    model_ = new HostsTableModel(document_.rows(), this);
    document_.setObserver(this);
    document_.setStyle(system_.hostsFileStyle());
    widgets_.hostsList->setModel(model_);
    createCommandFamilies();
    placeCommandControls(widgets_, scale_);
    buildMainMenus(menuBar(), this, menus_);
    resize(scale_.px(designWindowWidth), scale_.px(designWindowHeight));
    auto* indicatorStyle = new DesignScaleStyle(scale_);
    indicatorStyle->setParent(this);
    for (QAbstractButton* button : client->findChildren<QAbstractButton*>())
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
            button->setStyle(indicatorStyle);
    connectCommands();

    // F10 opens the menu bar at its first menu; Alt and a menu's letter open that menu.
    auto* openMenus = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(openMenus, &QShortcut::activated, this, [this] {
        menuBar()->setFocus();
        menuBar()->setActiveAction(menus_.file->menuAction());
    });
}

MainWindow::~MainWindow()
{
    // Ends a running download or update and joins its worker before the window it reports to goes.
    sources_.reset();
    download_.reset();
}

void MainWindow::createCommandFamilies()
{
    CommandHost& host = *this;
    const ControlRecords controls{menus_, widgets_};
    lines_ = std::make_unique<LineCommands>(host, *model_, controls);
    help_ = std::make_unique<HelpCommands>(host, *shell_, menus_);
    download_ = std::make_unique<DownloadCommands>(host, options_.downloadHost, menus_);
    sources_ = std::make_unique<SourceCommands>(host, options_.downloadHost, menus_); // after Cancel Download
    files_ = std::make_unique<FileCommands>(host, controls);
    backup_ = std::make_unique<BackupCommands>(host, controls);
    plainTextArea_ = std::make_unique<PlainTextArea>(*this, widgets_, prompter_);
    memopad_ = std::make_unique<MemopadCommands>(host, *plainTextArea_, menus_);
    whitelist_ = std::make_unique<WhitelistCommands>(host, *plainTextArea_, controls);
    history_ = std::make_unique<HistoryCommands>(host);
    menus_.exit = new QAction(QStringLiteral("Exit"), this); // the window's own item, connected with its controls
}

void MainWindow::deleteline() { lines_->deleteline(); }

void MainWindow::updateHelpItemVisibility() { help_->updateHelpItemVisibility(); }

void MainWindow::rememberChosenFile(std::string path) { files_->rememberChosenFile(std::move(path)); }

vendrel::HttpUrlGrabber& MainWindow::grabber() { return download_->grabber(); }

void MainWindow::runCommand(const std::function<void()>& command)
{
    if (programEnded_)
        return;
    try {
        widgets_.hostsList->finishCellEdit();
        changeLeftFileAlone_ = false;
        command();
        if (changeLeftFileAlone_)
            widgets_.progressBar->setText(QString::fromLocal8Bit(document_.path().c_str()) +
                                          QStringLiteral(" is unchanged"));
    } catch (const ProgramEnd& end) {
        endProgram(end.exitCode);
    } catch (const vendrel::ChangedElsewhere& changed) {
        offerReload(changed);
    } catch (const vendrel::WriteNotAuthorised& refused) {
        endAdministratorRights(refused);
    } catch (const std::exception& error) {
        prompter_.ask(this, {Prompter::Kind::Error, QStringLiteral("Error"),
                             QStringLiteral("ERROR: ") + QString::fromLocal8Bit(error.what()), false});
        endProgram(1);
    }
}

void MainWindow::offerReload(const vendrel::ChangedElsewhere& changed)
{
    const QString text = QString::fromLocal8Bit(changed.what()) + reloadChangedQuestion;
    if (prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), text, true})) {
        runCommand([this] { PopulateList(); });
        return;
    }
    document_.acceptCurrentState();
}

bool MainWindow::applyChange(const vendrel::PlannedChange& change)
{
    const vendrel::AppliedChange applied = writer_.apply(change);
    document_.adopt(applied.basis);
    changeLeftFileAlone_ = changeLeftFileAlone_ || !applied.written;
    return applied.written;
}

void MainWindow::endProgram(int exitCode)
{
    programEnded_ = true;
    exitCode_ = exitCode;
    hide();
    options_.endProgram(exitCode);
}

bool MainWindow::FormCreate()
{
    runCommand([this] {
        paths_ = vendrel::locateEditorPaths(system_);
        document_.setPath(vendrel::hostsPathIn(system_, paths_));
        writer_.setDataFolder(paths_.programFolder);
        layOutWindow();
        show();
        repaint();
        unlockHostsFile();
        showPlatformMenus();
        PopulateList();
        help_->updateHelpItemVisibility();
    });
    return !programEnded_;
}

int MainWindow::windowWidth() const { return centralWidget()->width(); }

void MainWindow::layOutWindow()
{
    const QSize client = applyStartupLayout(widgets_, scale_.px(designWindowWidth));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    layout()->activate();
    setMinimumSize(size());
    anchors_ = new AnchorKeeper(centralWidget());
    anchorControls(widgets_, *anchors_);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::unlockHostsFile()
{
    if (!system_.fileExists(document_.path()))
        return;
    hostsAttributes_ = system_.fileAttributes(document_.path()).value_or(0);
    if (hostsAttributes_ & platform::System) {
        if (!prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), systemFileWarning, true}))
            throw ProgramEnd{0};
        system_.setFileAttributes(document_.path(), hostsAttributes_ & ~(platform::Hidden | platform::System));
    }
    hostsAttributes_ = system_.fileAttributes(document_.path()).value_or(0);
    if (hostsAttributes_ & platform::Hidden)
        system_.setFileAttributes(document_.path(), hostsAttributes_ & ~platform::Hidden);
    repaint();
}

void MainWindow::showPlatformMenus()
{
    const bool ntFamily = system_.directoryExists(system_.hostsFolder(paths_.systemDir));
    menus_.checkDnsService->setVisible(ntFamily);
    menus_.dnsSeparator->setVisible(ntFamily);
    menus_.memopad->menuAction()->setVisible(ntFamily);
}

void MainWindow::PopulateList(Rows rows)
{
    if (system_.fileExists(document_.path())) {
        hostsAttributes_ = system_.fileAttributes(document_.path()).value_or(0);
        const bool readOnly = (hostsAttributes_ & platform::ReadOnly) != 0 && !writer_.writesWithPrivileges();
        setAccess(readOnly ? HostsAccess::ReadOnly : HostsAccess::Writable);
        if (rows == Rows::Reload)
            reloadRows();
        else
            document_.acceptCurrentState();
    }
    backup_->setRestoreBackupEnabled(system_.fileExists(paths_.backupPath()));
    if (!system_.fileExists(document_.path()))
        offerDefaultHostsFile();
    AdjustTabs();
}

void MainWindow::reloadRows()
{
    if (const auto note = writer_.settleInterruptedWrite(document_.path()))
        prompter_.ask(this,
                      {Prompter::Kind::Information, QStringLiteral("Vendrel"), QString::fromLocal8Bit(*note), false});
    document_.load(widgets_.progressBar->reporter());
    showLoadedRows();
}

void MainWindow::showLoadedRows()
{
    widgets_.hostsList->setColumnWidth(0, scale_.px(90));
    widgets_.hostsList->setColumnWidth(1, scale_.px(1100));
    ShowLineCount();
    TrimMemory();
}

void MainWindow::rowsAboutToBeReplaced() { model_->rowsAboutToBeReplaced(); }

void MainWindow::rowsReplaced()
{
    model_->rowsReplaced();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::offerDefaultHostsFile()
{
    document_.setPath(vendrel::hostsPathIn(system_, paths_));
    if (!ConfirmOK(prompter_, this, missingHostsQuestion))
        throw ProgramEnd{0};
    applyChange(vendrel::planDefaultHosts(document_));
    PopulateList();
}

void MainWindow::setAccess(HostsAccess access)
{
    state_.access = access;
    showWindowState(state_, menus_, widgets_, *model_, palette());
}

void MainWindow::setMode(WindowMode mode)
{
    state_.mode = mode;
    showWindowState(state_, menus_, widgets_, *model_, palette());
}

void MainWindow::SaveList() { saveRows("Edit Line"); }

void MainWindow::ShowLineCount()
{
    widgets_.progressBar->setPosition(0);
    widgets_.progressBar->setText(QString::fromStdString(vendrel::lineCountText(model_->rows().size())));
}

void MainWindow::AdjustTabs()
{
    QPlainTextEdit* text = widgets_.memopadText;
    text->setTabChangesFocus(false);
    text->setTabStopDistance(scale_.px(30));
    text->update();
}

void MainWindow::TrimMemory() { system_.trimWorkingSet(); }

void MainWindow::connectButton(QAbstractButton* button, void (MainWindow::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
}

void MainWindow::connectCommands()
{
    connectButton(widgets_.widenButton, &MainWindow::widenButtonClick);
    connectButton(widgets_.writableToggle, &MainWindow::writableToggleClick);
    connect(menus_.exit, &QAction::triggered, this, [this] { runCommand([this] { throw ProgramEnd{0}; }); });
    connect(widgets_.hostsList, &HostsTableView::cellEditorLeft, this,
            [this] { runCommand([this] { saveAfterCellEdit(); }); });
    connect(widgets_.hostsList, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        menus_.popup->popup(widgets_.hostsList->viewport()->mapToGlobal(position));
    });
}

void MainWindow::widenButtonClick()
{
    toggleHostsListWidth(widgets_, windowWidth());
    widgets_.searchBox->setFocus();
}

void MainWindow::writableToggleClick()
{
    if (writer_.writesWithPrivileges()) {
        writer_.writeWithPrivileges(nullptr);
        PopulateList(Rows::Keep);
        return;
    }
    {
        BusyCursor busy;
        const std::uint16_t wanted = hostsReadOnly() ? (hostsAttributes_ & ~platform::ReadOnly)
                                                     : (hostsAttributes_ | platform::ReadOnly);
        system_.setFileAttributes(document_.path(), wanted);
    }
    // Read back rather than trusted: a file another user owns can keep its
    // write bit and still not be writable for this one.
    const auto now = system_.fileAttributes(document_.path());
    if (hostsReadOnly() && now && (*now & platform::ReadOnly))
        offerAdministratorRights();
    PopulateList(Rows::Keep);
}

void MainWindow::offerAdministratorRights()
{
    platform::PrivilegedWriter* writer = system_.privilegedHostsWriter(document_.path());
    if (!writer || !ConfirmOK(prompter_, this, administratorRightsQuestion))
        return;
    if (!writer->authorise()) {
        prompter_.ask(this, {Prompter::Kind::Information, QStringLiteral("Information"),
                             QStringLiteral("The administrator's authorisation was not given, so the hosts file "
                                            "stays read-only."),
                             false});
        return;
    }
    writer_.writeWithPrivileges(writer);
}

void MainWindow::endAdministratorRights(const vendrel::WriteNotAuthorised& refused)
{
    writer_.writeWithPrivileges(nullptr);
    prompter_.ask(this,
                  {Prompter::Kind::Information, QStringLiteral("Information"),
                   QString::fromLocal8Bit(refused.what()) + QStringLiteral(" The list is read-only again."), false});
    runCommand([this] { PopulateList(); });
}

void MainWindow::saveAfterCellEdit() { SaveList(); }

} // namespace vendrel::gui

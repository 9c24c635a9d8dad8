// The Download menu: fetching a published block list, unpacking it and
// merging it into the hosts file or replacing the file with it; and the DNS
// Client service check that guards it.

#include "vendrel/busy_cursor.h"
#include "core/download/service_state.h"
#include "vendrel/main_window.h"
#include "vendrel/prompter.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QApplication>
#include <QMenu>


namespace {

const QString dnsRunningWarning = QStringLiteral(
    "Your DNSClient Service is running and\r\nShould be disabled before utilizing a large Hosts file.\r\n\r\n"
    "See Help file for more information.\r\n\r\nDownload CANCELLED.");
const QString troubleText = QStringLiteral("Vendrel had trouble downloading.");
const QString stillFinishing =
    QStringLiteral("The previous download is still finishing. Please try again in a moment.");

} // namespace

void MainWindow::connectDownloadCommands()
{
    Grabber1 = std::make_unique<vendrel::HttpUrlGrabber>([this](std::function<void()> event) {
        QMetaObject::invokeMethod(this, std::move(event), Qt::QueuedConnection);
    });
    Grabber1->Referer = "www.vendrel.example.org";
    Grabber1->Port = 0;
    Grabber1->OnProgress = [this](std::uint64_t position, std::uint64_t total) { Grabber1Progress(position, total); };
    Grabber1->OnDoneFile = [this](std::uint64_t) { Grabber1DoneFile(); };
    Grabber1->OnError = [this](const std::string& message) { Grabber1Error(message); };

    const auto download = [this](QAction* action, const vendrel::BlockListSource& list, bool merge) {
        connect(action, &QAction::triggered, this,
                [this, &list, merge] { runCommand([this, &list, merge] { startDownload(list, merge); }); });
    };
    download(menus_.mvpsMerge, vendrel::mvpsHostsList, true);
    download(menus_.mvpsReplace, vendrel::mvpsHostsList, false);
    download(menus_.hphostsMerge, vendrel::hpHostsList, true);
    download(menus_.hphostsReplace, vendrel::hpHostsList, false);
    connectAction(menus_.cancelDownload, &MainWindow::cancelDownloadClick);
    connectAction(menus_.checkDnsService, &MainWindow::statusOfDnsServiceClick);
}

void MainWindow::startDownload(const vendrel::BlockListSource& list, bool merge)
{
    MergeAfterDownload = merge;
    DownloadUrl = list.url(options_.downloadHost);
    ZipPath = platform::joinPath(paths_.programFolder, vendrel::downloadedArchiveName);
    ListFile = list.member;
    GrabberGo();
}

void MainWindow::GrabberGo()
{
    if (!system_.directoryExists(system_.hostsFolder(paths_.systemDir)))
        return;
    if (vendrel::IsServiceRunning(system_, "", vendrel::dnsClientService)) {
        prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), dnsRunningWarning, false});
        return;
    }
    const QString question = QStringLiteral("Press OK to download\r\n") + QString::fromStdString(DownloadUrl) +
                             QStringLiteral("\r\nand ") +
                             (MergeAfterDownload ? QStringLiteral("MERGE it with") : QStringLiteral("REPLACE")) +
                             QStringLiteral(" your Hosts file.");
    if (!prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), question, true}))
        return;
    if (Grabber1->status() != vendrel::GrabberStatus::Stopped) {
        prompter_.ask(this, {Prompter::Kind::Information, QStringLiteral("Information"), stillFinishing, false});
        return;
    }
    widgets_.progressBar->setText(QStringLiteral("Connecting to Site"));
    setDownloadCursor(true);
    Grabber1->setUrl(DownloadUrl);
    Grabber1->FileName = ZipPath;
    Downloadmenusoff();
    Grabber1->Start();
}

void MainWindow::setDownloadCursor(bool busy)
{
    if (busy == downloadCursor_)
        return;
    downloadCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::Downloadmenusoff()
{
    setDownloadMenus(true);
}

void MainWindow::Downloadmenuson()
{
    setDownloadMenus(false);
}

void MainWindow::setDownloadMenus(bool downloading)
{
    for (QAction* action : {menus_.appendFile, menus_.replaceFile, menus_.mergeFile, menus_.recovery->menuAction(),
                            menus_.edit->menuAction(), menus_.memopad->menuAction(), menus_.whitelist->menuAction(),
                            menus_.mvpsSubmenu->menuAction(), menus_.hphostsSubmenu->menuAction()})
        action->setEnabled(!downloading);
    menus_.cancelDownload->setEnabled(downloading);
}

void MainWindow::Grabber1Progress(std::uint64_t position, std::uint64_t totalSize)
{
    if (DownloadUrl.empty())
        return;
    StatusProgressBar* bar = widgets_.progressBar;
    bar->setText(QStringLiteral("Downloading"));
    bar->setMaximum(static_cast<qint64>(totalSize));
    bar->setPosition(static_cast<qint64>(position));
}

void MainWindow::Grabber1DoneFile()
{
    widgets_.progressBar->setText(QStringLiteral("Extracting file"));
    try {
        applyDownloadedList();
    } catch (const std::exception& error) {
        Downloadmenuson();
        reportDownloadTrouble(error.what());
    }
    DownloadUrl.clear();
    setDownloadCursor(false);
    ShowLineCount();
}

void MainWindow::applyDownloadedList()
{
    if (MergeAfterDownload)
        DownloadMerge();
    else
        DownloadReplace();
}

// Both unpack the list from the archive, change the hosts file with it and
// remove the archive and the list; then the download is over.
void MainWindow::DownloadMerge()
{
    BusyCursor busy;
    lastChosenFile_ = session_.applyDownloadedList(ZipPath, ListFile, vendrel::DownloadUse::Merge,
                                                   widgets_.progressBar->reporter());
    Downloadmenuson();
    Grabber1->Stop();
    ShowLineCount();
    PopulateList();
}

void MainWindow::DownloadReplace()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    session_.applyDownloadedList(ZipPath, ListFile, vendrel::DownloadUse::Replace);
    Downloadmenuson();
    Grabber1->Stop();
    PopulateList();
}

void MainWindow::reportDownloadTrouble(const std::string& reason)
{
    QString text = troubleText;
    if (!reason.empty())
        text += QStringLiteral("\r\n\r\n") + QString::fromLocal8Bit(reason.c_str());
    prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), text, false});
}

void MainWindow::Grabber1Error(const std::string& message)
{
    reportDownloadTrouble(message);
}

void MainWindow::cancelDownloadClick()
{
    Grabber1->Stop();
    DownloadUrl.clear();
    Downloadmenuson();
    setDownloadCursor(false);
    ShowLineCount();
}

void MainWindow::statusOfDnsServiceClick()
{
    if (vendrel::IsServiceRunning(system_, "", vendrel::dnsClientService))
        prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), QStringLiteral("DNS Service IS running"),
                             false});
    else
        prompter_.ask(this, {Prompter::Kind::Information, QStringLiteral("Information"),
                             QStringLiteral("DNS Service is NOT running"), false});
}

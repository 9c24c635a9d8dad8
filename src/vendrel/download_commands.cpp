// The Download menu: fetching a published block list, unpacking it and
// merging it into the hosts file or replacing the file with it; and the DNS
// Client service check that guards it.

#include "vendrel/download_commands.h"

#include "core/download/service_state.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_file_access.h"
#include "core/session/hosts_document.h"
#include "platform/platform.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/prompter.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QApplication>

namespace vendrel::gui {

namespace {

// What can be told of the change before the list has arrived.
const QString downloadDetails = QStringLiteral(
    "The list is downloaded first, so what it changes in the hosts file cannot be counted yet. "
    "Once it is applied, Ctrl+Z takes the whole change back.");

const QString dnsRunningWarning = QStringLiteral(
    "Your DNSClient Service is running and\r\nShould be disabled before utilizing a large Hosts file.\r\n\r\n"
    "See Help file for more information.\r\n\r\nDownload CANCELLED.");
const QString troubleText = QStringLiteral("Vendrel had trouble downloading.");
const QString stillFinishing = QStringLiteral(
    "The previous download is still finishing. Please try again in a moment.");

} // namespace

DownloadCommands::DownloadCommands(CommandHost& host, std::string downloadHost, MainMenus& menus)
    : CommandFamily(host), downloadHost_(std::move(downloadHost))
{
    fetch_ = std::make_unique<vendrel::BlockListFetch>(
        [this](std::function<void()> event) {
            QMetaObject::invokeMethod(this, std::move(event), Qt::QueuedConnection);
        },
        vendrel::BlockListFetch::Events{
            [this](std::uint64_t position, std::uint64_t total) { Grabber1Progress(position, total); },
            [this] { Grabber1DoneFile(); }, [this](const std::string& message) { Grabber1Error(message); }});

    const auto download = [this](const char* caption, const vendrel::BlockListSource& list, bool merge) {
        return newAction(caption, [this, &list, merge] { startDownload(list, merge); });
    };
    menus.mvpsMerge = download("Merge", vendrel::mvpsHostsList, true);
    menus.mvpsReplace = download("Replace", vendrel::mvpsHostsList, false);
    menus.hphostsMerge = download("Merge", vendrel::hpHostsList, true);
    menus.hphostsReplace = download("Replace", vendrel::hpHostsList, false);
    menus.cancelDownload = newAction("Cancel Download", [this] { cancelDownloadClick(); });
    menus.checkDnsService = newAction("Check Status of DNS Service", [this] { statusOfDnsServiceClick(); });
    menus.checkDnsService->setVisible(false);
}

void DownloadCommands::startDownload(const vendrel::BlockListSource& list, bool merge)
{
    mergeAfterDownload_ = merge;
    downloadUrl_ = list.url(downloadHost_);
    list_ = &list;
    GrabberGo();
}

void DownloadCommands::GrabberGo()
{
    if (!host_.system().directoryExists(host_.system().hostsFolder(host_.paths().systemDir)))
        return;
    if (vendrel::dnsClientRefusesDownload(host_.system())) {
        ask({Prompter::Kind::Warning, QStringLiteral("Warning"), dnsRunningWarning, false});
        return;
    }
    const QString question = QStringLiteral("Press OK to download\r\n") + QString::fromStdString(downloadUrl_) +
                             QStringLiteral("\r\nand ") +
                             (mergeAfterDownload_ ? QStringLiteral("MERGE it with") : QStringLiteral("REPLACE")) +
                             QStringLiteral(" your Hosts file.");
    if (!ask({Prompter::Kind::Warning, QStringLiteral("Warning"), question, true, downloadDetails}))
        return;
    if (fetch_->running()) {
        ask({Prompter::Kind::Information, QStringLiteral("Information"), stillFinishing, false});
        return;
    }
    host_.widgets().progressBar->setText(QStringLiteral("Connecting to Site"));
    setDownloadCursor(true);
    Downloadmenusoff();
    fetch_->start(*list_, mergeAfterDownload_ ? vendrel::DownloadUse::Merge : vendrel::DownloadUse::Replace,
                  downloadUrl_, host_.paths().programFolder);
}

void DownloadCommands::setDownloadCursor(bool busy)
{
    if (busy == downloadCursor_)
        return;
    downloadCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void DownloadCommands::Downloadmenusoff() { host_.setMode(WindowMode::Downloading); }

void DownloadCommands::Downloadmenuson() { host_.setMode(WindowMode::Idle); }

void DownloadCommands::Grabber1Progress(std::uint64_t position, std::uint64_t totalSize)
{
    if (downloadUrl_.empty())
        return;
    StatusProgressBar* bar = host_.widgets().progressBar;
    bar->setText(QStringLiteral("Downloading"));
    bar->setMaximum(static_cast<qint64>(totalSize));
    bar->setPosition(static_cast<qint64>(position));
}

// The list is applied as every command runs: a file another program changed
// meanwhile is offered for reload, a refused authorisation ends the
// administrator's rights; a list that cannot be unpacked or applied is
// trouble downloading. However it ends, the download is over.
void DownloadCommands::Grabber1DoneFile()
{
    host_.widgets().progressBar->setText(QStringLiteral("Extracting file"));
    host_.runCommand([this] {
        const auto over = qScopeGuard([this] { endDownload(); });
        try {
            applyDownloadedList();
        } catch (const vendrel::ChangedElsewhere&) {
            throw;
        } catch (const vendrel::WriteNotAuthorised&) {
            throw;
        } catch (const vendrel::Error& error) {
            reportDownloadTrouble(error.what());
        } catch (const std::bad_alloc&) {
            reportDownloadTrouble("There is not enough memory to apply the list.");
        }
    });
}

void DownloadCommands::endDownload()
{
    fetch_->cancel();
    Downloadmenuson();
    downloadUrl_.clear();
    setDownloadCursor(false);
    host_.ShowLineCount();
}

void DownloadCommands::applyDownloadedList()
{
    if (mergeAfterDownload_)
        DownloadMerge();
    else
        DownloadReplace();
}

// Both unpack the list from the archive, change the hosts file with it and
// remove the archive and the list; then the download is over.
void DownloadCommands::DownloadMerge()
{
    BusyCursor busy;
    std::string listPath;
    const vendrel::PlannedChange change = fetch_->planArrivedList(host_.document(),
                                                                  host_.widgets().progressBar->reporter(), &listPath);
    host_.applyChange(change);
    host_.rememberChosenFile(listPath);
    Downloadmenuson();
    host_.ShowLineCount();
    host_.PopulateList();
    tellNote(change);
}

void DownloadCommands::DownloadReplace()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const vendrel::PlannedChange change = fetch_->planArrivedList(host_.document());
    host_.applyChange(change);
    Downloadmenuson();
    host_.PopulateList();
    tellNote(change);
}

void DownloadCommands::tellNote(const vendrel::PlannedChange& change)
{
    if (!change.note.empty())
        ask({Prompter::Kind::Information, QStringLiteral("Information"), QString::fromStdString(change.note), false});
}

void DownloadCommands::reportDownloadTrouble(const std::string& reason)
{
    QString text = troubleText;
    if (!reason.empty())
        text += QStringLiteral("\r\n\r\n") + QString::fromLocal8Bit(reason.c_str());
    ask({Prompter::Kind::Warning, QStringLiteral("Warning"), text, false});
}

void DownloadCommands::Grabber1Error(const std::string& message) { reportDownloadTrouble(message); }

void DownloadCommands::cancelDownloadClick() { endDownload(); }

void DownloadCommands::statusOfDnsServiceClick()
{
    if (vendrel::dnsClientRefusesDownload(host_.system()))
        ask({Prompter::Kind::Warning, QStringLiteral("Warning"), QStringLiteral("DNS Service IS running"), false});
    else
        ask({Prompter::Kind::Information, QStringLiteral("Information"), QStringLiteral("DNS Service is NOT running"),
             false});
}

} // namespace vendrel::gui

#include "vendrel/source_commands.h"

#include "core/error.h"
#include "core/hosts/editor_paths.h"
#include "core/session/change_writer.h"
#include "core/session/hosts_document.h"
#include "core/sources/block_list_sources.h"
#include "core/whitelist/whitelist.h"
#include "platform/platform.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/sources_dialog.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QApplication>
#include <QScopeGuard>

#include <chrono>

namespace vendrel::gui {

namespace {

const QString updateDetails = QStringLiteral(
    "Each source is asked only for what changed since its last update; a source that fails keeps its entries "
    "of the last update. Once it is applied, Ctrl+Z takes the whole change back.");

std::int64_t secondsNow()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

SourceCommands::SourceCommands(CommandHost& host, std::string downloadHost, MainMenus& menus)
    : CommandFamily(host), downloadHost_(std::move(downloadHost))
{
    menus.showSources = newAction("Sources...", [this] { showSources(); });
    menus.updateAllSources = newAction("Update All Sources", [this] { updateAllSources(); });
    connect(menus.cancelDownload, &QAction::triggered, this, [this] { cancelUpdate(); });
}

SourceCommands::~SourceCommands()
{
    worker_.request_stop();
    if (worker_.joinable())
        worker_.join();
}

std::string SourceCommands::sourcesPath() const { return vendrel::sourcesPathIn(host_.paths().programFolder); }

void SourceCommands::showSources()
{
    std::vector<vendrel::ListSource> sources;
    try {
        sources = vendrel::readSources(sourcesPath());
    } catch (const vendrel::Error& error) {
        ask({Prompter::Kind::Warning, QStringLiteral("Warning"), QString::fromStdString(error.what()), false});
        return;
    }
    const vendrel::SourceRecords records(host_.paths().programFolder);
    SourcesDialog dialog(host_.dialogParent(), host_.prompter(), sourcesPath(), records, std::move(sources));
    dialog.exec();
}

void SourceCommands::updateAllSources()
{
    if (update_)
        return;
    worker_ = std::jthread(); // a cancelled fetch ends before its records go
    records_ = std::make_unique<vendrel::SourceRecords>(host_.paths().programFolder);
    std::unique_ptr<vendrel::SourceUpdate> update;
    try {
        update = std::make_unique<vendrel::SourceUpdate>(*records_, vendrel::readSources(sourcesPath()),
                                                         vendrel::readWhitelist(host_.paths().whitelistPath()),
                                                         secondsNow());
    } catch (const vendrel::Error& error) {
        ask({Prompter::Kind::Warning, QStringLiteral("Warning"), QString::fromStdString(error.what()), false});
        return;
    }
    std::vector<vendrel::ListSource> enabled = update->enabledSources();
    if (enabled.empty()) {
        ask({Prompter::Kind::Information, QStringLiteral("Information"),
             QStringLiteral("No source is enabled. Download > Sources... enables them."), false});
        return;
    }
    const QString question = QStringLiteral("Press OK to download the %1 enabled sources\r\nand UPDATE your "
                                            "Hosts file with them.")
                                 .arg(enabled.size());
    if (!ask({Prompter::Kind::Warning, QStringLiteral("Warning"), question, true, updateDetails}))
        return;
    update_ = std::move(update);
    host_.widgets().progressBar->setText(QStringLiteral("Connecting to Site"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    updateShown_ = true;
    host_.setMode(WindowMode::Downloading);
    vendrel::FetchSettings settings;
    settings.hostOverride = downloadHost_;
    const std::uint64_t generation = ++generation_;
    worker_ = std::jthread([this, generation, enabled = std::move(enabled), settings](std::stop_token stop) {
        const auto report = [this, generation](std::uint64_t bytes) {
            QMetaObject::invokeMethod(
                this, [this, generation, bytes] { received(generation, bytes); }, Qt::QueuedConnection);
        };
        auto fetched = std::make_shared<std::vector<vendrel::FetchedSource>>(
            vendrel::fetchSources(enabled, *records_, settings, report, stop));
        if (!stop.stop_requested())
            QMetaObject::invokeMethod(
                this, [this, generation, fetched] { applyFetched(generation, std::move(*fetched)); },
                Qt::QueuedConnection);
    });
}

void SourceCommands::received(std::uint64_t generation, std::uint64_t bytes)
{
    if (!update_ || generation != generation_)
        return;
    StatusProgressBar* bar = host_.widgets().progressBar;
    bar->setText(QStringLiteral("Downloading"));
    bar->setMaximum(0);
    bar->setPosition(static_cast<qint64>(bytes));
}

// Applied as every command runs: a file changed meanwhile is offered for
// reload, a refused authorisation ends the administrator's rights, and
// however it ends the update is over.
void SourceCommands::applyFetched(std::uint64_t generation, std::vector<vendrel::FetchedSource> fetched)
{
    if (!update_ || generation != generation_)
        return;
    host_.widgets().progressBar->setText(QStringLiteral("Updating"));
    host_.runCommand([this, &fetched] {
        const auto over = qScopeGuard([this] { endUpdate(); });
        try {
            applyUpdate(*update_, std::move(fetched));
        } catch (const vendrel::ChangedElsewhere&) {
            throw;
        } catch (const vendrel::WriteNotAuthorised&) {
            throw;
        } catch (const vendrel::Error& error) {
            ask({Prompter::Kind::Warning, QStringLiteral("Warning"),
                 QStringLiteral("Vendrel had trouble updating.\r\n\r\n") + QString::fromStdString(error.what()),
                 false});
        }
    });
}

void SourceCommands::applyUpdate(vendrel::SourceUpdate& update, std::vector<vendrel::FetchedSource> fetched)
{
    BusyCursor busy;
    update.plan(host_.document(), std::move(fetched), host_.widgets().progressBar->reporter());
    const bool written = update.change() && host_.applyChange(*update.change());
    update.commit();
    std::string flushed;
    if (written) {
        flushed = vendrel::flushedCachesText(host_.system().flushNameCaches());
        host_.PopulateList();
    }
    showUpdateEnded();
    tellReport(update, flushed);
}

void SourceCommands::tellReport(const vendrel::SourceUpdate& update, const std::string& flushed)
{
    QString text;
    for (const vendrel::SourceReport& report : update.reports())
        text += QString::fromStdString(vendrel::describeReport(report)) + QStringLiteral("\r\n");
    text += update.change()
                ? QStringLiteral("\r\nAdded %1 and removed %2 entries.").arg(update.added()).arg(update.removed())
                : QStringLiteral("\r\nNothing changed.");
    if (!flushed.empty())
        text += QStringLiteral("\r\n") + QString::fromStdString(flushed);
    const bool failed = update.anyFailed();
    ask({failed ? Prompter::Kind::Warning : Prompter::Kind::Information,
         failed ? QStringLiteral("Warning") : QStringLiteral("Information"), text, false});
}

void SourceCommands::cancelUpdate()
{
    if (!update_)
        return;
    worker_.request_stop();
    endUpdate();
}

void SourceCommands::showUpdateEnded()
{
    if (!updateShown_)
        return;
    updateShown_ = false;
    QApplication::restoreOverrideCursor();
    host_.setMode(WindowMode::Idle);
    host_.ShowLineCount();
}

void SourceCommands::endUpdate()
{
    showUpdateEnded();
    update_.reset();
}

} // namespace vendrel::gui

#include "core/session/hosts_session.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/download/download_apply.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/session/version_keeper.h"
#include "core/whitelist/whitelist.h"
#include "platform/platform.h"

#include <filesystem>

namespace vendrel {
namespace {

bool exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

void removeIfPresent(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

constexpr const char* historyFolderName = "history";

// The command a step undoes or redoes: "Undo Sort File" and "Redo Sort File"
// both stand for "Sort File".
std::string undoneCommand(const std::string& command)
{
    for (std::string_view prefix : {"Undo ", "Redo "})
        if (command.starts_with(prefix))
            return undoneCommand(command.substr(prefix.size()));
    return command;
}

} // namespace

NoBlockingAddress::NoBlockingAddress(const std::string& redirectLine) : Error(noBlockingAddressReason(redirectLine)) {}

HostsSession::HostsSession(std::string hostsPath, std::string dataFolder, Locking locking)
    : guard_(std::move(hostsPath), locking), dataFolder_(std::move(dataFolder))
{
}

void HostsSession::setPaths(std::string hostsPath, std::string dataFolder)
{
    guard_.setPath(std::move(hostsPath));
    dataFolder_ = std::move(dataFolder);
}

std::string HostsSession::backupPath() const { return platform::joinPath(dataFolder_, backupFileName); }

std::string HostsSession::whitelistPath() const { return whitelistPathIn(dataFolder_); }

template <typename Change>
void HostsSession::replaceRows(Change&& change)
{
    if (observer_)
        observer_->rowsAboutToBeReplaced();
    try {
        change();
    } catch (...) {
        if (observer_)
            observer_->rowsReplaced();
        throw;
    }
    if (observer_)
        observer_->rowsReplaced();
}

void HostsSession::giveUpRows(std::size_t rowsMeanwhile)
{
    // Moved out first: assigning empty rows would keep the text's buffer,
    // since a short string is copied into the buffer it replaces.
    HostsRows given = std::move(rows_);
    rows_ = HostsRows(rowsMeanwhile);
}

void HostsSession::takeLoaded(LoadedHosts loaded)
{
    replaceRows([&] { rows_ = std::move(loaded.rows); });
    if (loaded.redirectAddress)
        takeRedirectLine(RedirectLine{std::move(*loaded.redirectAddress), std::move(loaded.redirectLine)});
}

void HostsSession::takeRedirectLine(std::optional<RedirectLine> redirect)
{
    if (redirect) {
        redirectAddress_ = std::move(redirect->address);
        redirectLine_ = std::move(redirect->line);
    }
}

std::string HostsSession::readLoadable()
{
    std::string text = guard_.read();
    refuseUnloadable(text, hostsPath());
    takeRedirectLine(findRedirectLine(text));
    return text;
}

void HostsSession::loadRedirectAddress() { readLoadable(); }

void HostsSession::load(const Progress& progress)
{
    takeLoaded(parseHostsText(guard_.read(), hostsPath(), progress));
}

bool HostsSession::loadIfPresent(const Progress& progress)
{
    if (!exists(hostsPath()))
        return false;
    load(progress);
    return true;
}

void HostsSession::save(std::string_view command) { guard_.write(formatList(rows_), keepVersion(command).get()); }

void HostsSession::saveBackup() const { SaveList(rows_, backupPath()); }

void HostsSession::FileSort(const Progress& progress, std::size_t rowsMeanwhile)
{
    std::string listText = formatList(rows_);
    if (!rehearsing())
        replaceRows([&] { giveUpRows(rowsMeanwhile); });
    // A statement of its own, so that the unsorted text is gone before the write.
    const std::string sorted = sortHostsText(std::move(listText), redirectAddress_, progress);
    guard_.write(sorted, keepVersion("Sort File").get());
}

void HostsSession::sortHostsFile(const Progress& progress)
{
    std::string text = readLoadable(); // first: it takes the file's redirect address
    // The version is packed from the text beside the sort, which waits for it
    // before it lets the text go: the text, the lines and the sorted text are
    // never all in memory at once.
    std::optional<VersionDraft> draft;
    const std::optional<HostsHistory> kept = history();
    if (kept && !rehearsing() && guard_.locking() == Locking::HeldByOwner)
        draft.emplace(text, kept->folder());
    const std::string sorted = sortHostsFileText(text, redirectAddress_, progress, [&] {
        if (draft)
            draft->wait();
        std::string().swap(text);
    });
    guard_.write(sorted, keepVersion("Sort File", HistoryMove::Change, 0, draft ? &*draft : nullptr).get());
}

void HostsSession::mergeSequence(const std::string& path, const Progress& progress, std::string_view command)
{
    const std::string mergeText = readTextFile(path);
    guard_.update([&](const std::string& hostsText) {
        return mergeAndSortText(hostsText, mergeText, redirectAddress_, progress);
    }, keepVersion(command).get());
}

void HostsSession::FileAppend(const std::string& path)
{
    const TextLines chosen = readTextLines(path);
    guard_.update([&chosen](std::string hostsText) { return appendLinesToText(std::move(hostsText), chosen.lines); },
                  keepVersion("Append File").get());
}

void HostsSession::replaceWithFile(const std::string& path, std::string_view command)
{
    guard_.replace(joinLines(readTextLines(path).lines), keepVersion(command).get());
}

void HostsSession::requireBlockingAddress() const
{
    if (!isBlockingAddress(redirectAddress_))
        throw NoBlockingAddress(redirectLine_);
}

void HostsSession::removeBlockingEntries(const Progress& progress, std::size_t rowsMeanwhile)
{
    requireBlockingAddress();
    if (!rehearsing())
        replaceRows([&] { giveUpRows(rowsMeanwhile); });
    guard_.update([&](const std::string& hostsText) {
        refuseNonText(hostsText, hostsPath());
        return *vendrel::removeBlockingEntries(hostsText, redirectAddress_, progress);
    }, keepVersion("Remove All Blocking Entries").get());
}

void HostsSession::swapLocalhosts()
{
    std::optional<std::string> swapped;
    replaceRows([&] { swapped = vendrel::swapLocalhosts(rows_, redirectAddress_); });
    if (!swapped)
        throw NoBlockingAddress(redirectLine_);
    redirectAddress_ = *swapped;
    save("Swap localhosts");
}

void HostsSession::restoreBackup(const Progress& progress)
{
    LoadedHosts backup = loadHostsFile(backupPath(), progress);
    guard_.replace(formatList(backup.rows), keepVersion("Restore Backup").get());
    takeLoaded(std::move(backup));
}

void HostsSession::WriteDefaultHosts()
{
    guard_.replace(defaultHostsText(), keepVersion("Restore MS Hosts").get());
}

void HostsSession::addToWhitelist(std::size_t row) const
{
    if (!rehearsing())
        appendToWhitelist(whitelistPath(), rows_.host(row));
}

std::size_t HostsSession::removeWhitelisted()
{
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath());
    std::size_t removed = 0;
    replaceRows([&] { removed = removeWhitelistedRows(rows_, whitelist); });
    save("Remove Whitelist Items");
    return removed;
}

bool HostsSession::addWhitelisted(const Progress& progress)
{
    if (!exists(whitelistPath()))
        return false;
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath());
    replaceRows([&] { addWhitelistRows(rows_, whitelist, redirectAddress_); });
    guard_.write(sortHostsText(formatList(rows_), redirectAddress_, progress),
                 keepVersion("Add Whitelist Items").get());
    return true;
}

std::string HostsSession::applyDownloadedList(const std::string& zipPath, const std::string& member,
                                              DownloadUse use, const Progress& progress)
{
    std::string listPath;
    try {
        listPath = extractDownloadedList(zipPath, member, dataFolder_);
        if (use == DownloadUse::Merge)
            mergeSequence(listPath, progress, "Download Merge");
        else
            replaceWithFile(listPath, "Download Replace");
    } catch (...) {
        removeIfPresent(zipPath);
        if (!listPath.empty())
            removeIfPresent(listPath);
        throw;
    }
    removeIfPresent(zipPath);
    removeIfPresent(listPath);
    return listPath;
}

std::optional<HostsHistory> HostsSession::history() const
{
    if (dataFolder_.empty() || !exists(dataFolder_))
        return std::nullopt;
    return HostsHistory(platform::joinPath(dataFolder_, historyFolderName));
}

std::unique_ptr<WriteWitness> HostsSession::keepVersion(std::string_view command, HistoryMove move,
                                                        std::uint64_t stepped, VersionDraft* draft)
{
    if (rehearsal_)
        return std::make_unique<RehearsalWitness>(*rehearsal_, command);
    std::optional<HostsHistory> kept = history();
    if (!kept)
        return nullptr;
    compactor_.finish(); // its thread takes the lock the write is about to take
    return std::make_unique<VersionKeeper>(std::move(*kept), std::string(command), move, stepped,
                                           VersionKeeper::Compaction{compactor_, guard_}, draft);
}

std::string HostsSession::step(HistoryMove move)
{
    const std::optional<HostsHistory> kept = history();
    const std::optional<std::uint64_t> number =
        !kept ? std::nullopt : move == HistoryMove::Undo ? kept->nextUndo() : kept->nextRedo();
    const char* const verb = move == HistoryMove::Undo ? "undo" : "redo";
    if (!number)
        throw Error(std::string("There is no change to ") + verb + ".");
    const VersionInfo version = kept->info(*number);
    const std::string bytes = kept->bytes(*number);
    const std::string command = undoneCommand(version.command);
    guard_.update([&](const std::string& current) {
        if (contentHash(current) != version.hashAfter)
            throw Error(hostsPath() + " was changed by another program after \"" + command + "\", so it cannot " +
                        verb + " that change; the file was left as it is.");
        return bytes;
    }, keepVersion((move == HistoryMove::Undo ? "Undo " : "Redo ") + command, move, *number).get());
    return command;
}

std::string HostsSession::undo() { return step(HistoryMove::Undo); }

std::string HostsSession::redo() { return step(HistoryMove::Redo); }

void HostsSession::restoreVersion(std::uint64_t number)
{
    const std::optional<HostsHistory> kept = history();
    if (!kept)
        throw Error("There is no history of " + hostsPath() + ".");
    const std::string bytes = kept->bytes(number);
    guard_.replace(bytes, keepVersion("Restore Version " + std::to_string(number)).get());
}

RehearsedChange HostsSession::rehearse(const std::function<void()>& command)
{
    RehearsedChange found;
    RehearsedChange* const before = rehearsal_;
    rehearseWrites(&found);
    try {
        command();
    } catch (const WriteRehearsed&) {
    } catch (...) {
        rehearseWrites(before);
        throw;
    }
    rehearseWrites(before);
    return found;
}

void HostsSession::carryOut(RehearsedChange change)
{
    if (!change.changesFile())
        return;
    guard_.update([&](std::string current) {
        if (current != change.before)
            throw ChangedElsewhere(hostsPath());
        return std::move(change.after);
    }, keepVersion(change.command).get());
}

} // namespace vendrel

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

void HostsSession::takeLoaded(LoadedHosts loaded)
{
    replaceRows([&] { rows_ = std::move(loaded.rows); });
    if (loaded.redirectAddress) {
        redirectAddress_ = *loaded.redirectAddress;
        redirectLine_ = loaded.redirectLine;
    }
}

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

void HostsSession::save() { guard_.write(formatList(rows_)); }

void HostsSession::saveBackup() const { SaveList(rows_, backupPath()); }

void HostsSession::FileSort(const Progress& progress, std::size_t rowsMeanwhile)
{
    const std::string listText = formatList(rows_);
    replaceRows([&] { rows_ = HostsRows(rowsMeanwhile); });
    guard_.write(sortHostsText(listText, redirectAddress_, progress));
}

void HostsSession::mergeSequence(const std::string& path, const Progress& progress)
{
    const std::string mergeText = readTextFile(path);
    guard_.update([&](const std::string& hostsText) {
        return mergeAndSortText(hostsText, mergeText, redirectAddress_, progress);
    });
}

void HostsSession::FileAppend(const std::string& path)
{
    const TextLines chosen = readTextLines(path);
    guard_.update([&chosen](std::string hostsText) { return appendLinesToText(std::move(hostsText), chosen.lines); });
}

void HostsSession::FileRewrite(const std::string& path) { guard_.replace(joinLines(readTextLines(path).lines)); }

void HostsSession::requireBlockingAddress() const
{
    if (!isBlockingAddress(redirectAddress_))
        throw NoBlockingAddress(redirectLine_);
}

void HostsSession::removeBlockingEntries(const Progress& progress, std::size_t rowsMeanwhile)
{
    requireBlockingAddress();
    replaceRows([&] { rows_ = HostsRows(rowsMeanwhile); });
    guard_.update([&](const std::string& hostsText) {
        refuseNonText(hostsText, hostsPath());
        return *vendrel::removeBlockingEntries(hostsText, redirectAddress_, progress);
    });
}

void HostsSession::swapLocalhosts()
{
    std::optional<std::string> swapped;
    replaceRows([&] { swapped = vendrel::swapLocalhosts(rows_, redirectAddress_); });
    if (!swapped)
        throw NoBlockingAddress(redirectLine_);
    redirectAddress_ = *swapped;
    save();
}

void HostsSession::restoreBackup(const Progress& progress)
{
    takeLoaded(loadHostsFile(backupPath(), progress));
    guard_.replace(formatList(rows_));
}

void HostsSession::WriteDefaultHosts() { guard_.replace(defaultHostsText()); }

void HostsSession::addToWhitelist(std::size_t row) const { appendToWhitelist(whitelistPath(), rows_.host(row)); }

std::size_t HostsSession::removeWhitelisted()
{
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath());
    std::size_t removed = 0;
    replaceRows([&] { removed = removeWhitelistedRows(rows_, whitelist); });
    save();
    return removed;
}

bool HostsSession::addWhitelisted(const Progress& progress)
{
    if (!exists(whitelistPath()))
        return false;
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath());
    replaceRows([&] { addWhitelistRows(rows_, whitelist, redirectAddress_); });
    guard_.write(sortHostsText(formatList(rows_), redirectAddress_, progress));
    return true;
}

std::string HostsSession::applyDownloadedList(const std::string& zipPath, const std::string& member,
                                              DownloadUse use, const Progress& progress)
{
    std::string listPath;
    try {
        listPath = extractDownloadedList(zipPath, member, dataFolder_);
        if (use == DownloadUse::Merge)
            mergeSequence(listPath, progress);
        else
            FileRewrite(listPath);
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

} // namespace vendrel

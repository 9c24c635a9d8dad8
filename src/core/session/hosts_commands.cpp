#include "core/session/hosts_commands.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/whitelist/whitelist.h"

#include <filesystem>

namespace vendrel {
namespace {

PlannedChange planFromRows(const HostsDocument& document, CurrentFile current, std::string command)
{
    return planFrom(document.path(), std::move(current), std::move(command), formatList(document.rows()));
}

void requireBlockingAddress(const HostsDocument& document)
{
    if (!isBlockingAddress(document.redirectAddress()))
        throw NoBlockingAddress(document.redirectLine());
}

} // namespace

NoBlockingAddress::NoBlockingAddress(const std::string& redirectLine) : Error(noBlockingAddressReason(redirectLine)) {}

PlannedChange planSaveRows(const HostsDocument& document, std::string command)
{
    return planFromRows(document, document.readUnchanged(), std::move(command));
}

PlannedChange planSaveText(const HostsDocument& document, std::string text, const std::optional<FileBasis>& shown)
{
    CurrentFile current = document.readCurrent();
    const auto bytes = [&current]() -> const std::string& { return current.bytes; };
    if (shown && !stillHasBasis(*shown, current.basis.identity, bytes))
        throw ChangedElsewhere(document.path());
    return planFrom(document.path(), std::move(current), "Save Hosts", std::move(text));
}

PlannedChange planSort(const HostsDocument& document, const Progress& progress)
{
    CurrentFile current = document.readUnchanged();
    std::string sorted = sortHostsText(formatList(document.rows()), document.redirectAddress(), progress);
    return planFrom(document.path(), std::move(current), "Sort File", std::move(sorted));
}

PlannedChange planSortFile(HostsDocument& document, BytesBefore bytesBefore,
                           const std::optional<std::string>& draftFolder, const Progress& progress)
{
    CurrentFile current = document.readLoadable(); // first: it takes the file's redirect address
    if (bytesBefore == BytesBefore::Kept) {
        std::string sorted = sortHostsFileText(current.bytes, document.redirectAddress(), progress);
        return planFrom(document.path(), std::move(current), "Sort File", std::move(sorted));
    }
    // The version is packed from the text beside the sort, which waits for it
    // before it lets the text go: the text, the lines and the sorted text are
    // never all in memory at once.
    std::shared_ptr<VersionDraft> draft;
    if (draftFolder)
        draft = std::make_shared<VersionDraft>(current.bytes, *draftFolder);
    std::string sorted = sortHostsFileText(current.bytes, document.redirectAddress(), progress, [&] {
        if (draft)
            draft->wait();
        std::string().swap(current.bytes);
    });
    PlannedChange change = planFrom(document.path(), std::move(current), "Sort File", std::move(sorted));
    change.before.reset();
    change.draft = std::move(draft);
    return change;
}

PlannedChange planMerge(const HostsDocument& document, const std::string& path, const Progress& progress,
                        std::string command)
{
    const std::string mergeText = readTextFile(path);
    CurrentFile current = document.readCurrent();
    std::string merged = mergeAndSortText(current.bytes, mergeText, document.redirectAddress(), progress);
    return planFrom(document.path(), std::move(current), std::move(command), std::move(merged));
}

PlannedChange planAppend(const HostsDocument& document, const std::string& path)
{
    const TextLines chosen = readTextLines(path);
    CurrentFile current = document.readCurrent();
    std::string appended = appendLinesToText(current.bytes, chosen.lines);
    return planFrom(document.path(), std::move(current), "Append File", std::move(appended));
}

PlannedChange planReplace(const HostsDocument& document, const std::string& path, std::string command)
{
    std::string replacement = joinLines(readTextLines(path).lines);
    return planFrom(document.path(), document.readCurrent(), std::move(command), std::move(replacement));
}

PlannedChange planRemoveBlocking(HostsDocument& document, const Progress& progress, std::size_t rowsMeanwhile)
{
    requireBlockingAddress(document);
    document.giveUpRows(rowsMeanwhile);
    CurrentFile current = document.readCurrent();
    refuseNonText(current.bytes, document.path());
    std::string kept = *removeBlockingEntries(current.bytes, document.redirectAddress(), progress);
    return planFrom(document.path(), std::move(current), "Remove All Blocking Entries", std::move(kept));
}

PlannedChange planSwap(HostsDocument& document)
{
    requireBlockingAddress(document);
    CurrentFile current = document.readUnchanged();
    std::optional<std::string> swapped;
    document.replaceRows([&] { swapped = swapLocalhosts(document.rows(), document.redirectAddress()); });
    document.setRedirectAddress(std::move(*swapped));
    return planFromRows(document, std::move(current), "Swap localhosts");
}

PlannedChange planRestoreBackup(const HostsDocument& document, const std::string& backupPath, const Progress& progress)
{
    std::string restored = formatList(loadHostsFile(backupPath, progress).rows);
    return planFrom(document.path(), document.readCurrent(), "Restore Backup", std::move(restored));
}

PlannedChange planDefaultHosts(const HostsDocument& document)
{
    return planFrom(document.path(), document.readCurrent(), "Restore MS Hosts", defaultHostsText());
}

PlannedChange planRemoveWhitelisted(HostsDocument& document, const std::string& whitelistPath)
{
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath);
    CurrentFile current = document.readUnchanged();
    document.replaceRows([&] { removeWhitelistedRows(document.rows(), whitelist); });
    return planFromRows(document, std::move(current), "Remove Whitelist Items");
}

std::optional<PlannedChange> planAddWhitelisted(HostsDocument& document, const std::string& whitelistPath,
                                                const Progress& progress)
{
    std::error_code ignored;
    if (!std::filesystem::exists(whitelistPath, ignored))
        return std::nullopt;
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath);
    CurrentFile current = document.readUnchanged();
    document.replaceRows([&] { addWhitelistRows(document.rows(), whitelist, document.redirectAddress()); });
    std::string sorted = sortHostsText(formatList(document.rows()), document.redirectAddress(), progress);
    return planFrom(document.path(), std::move(current), "Add Whitelist Items", std::move(sorted));
}

} // namespace vendrel

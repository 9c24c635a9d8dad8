#include "core/session/hosts_commands.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_ends.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/session/list_text.h"
#include "core/whitelist/whitelist.h"

#include <filesystem>

namespace vendrel {
namespace {

// The line break a change of the file writes: the file's own, the
// platform's for a file that has none yet.
std::string_view lineBreakFor(const HostsDocument& document, std::string_view bytes)
{
    return lineBreakOf(bytes, document.style().lineBreak);
}

// The change to `after`, its lines ended as the file ends its lines.
PlannedChange planWritten(const HostsDocument& document, CurrentFile current, std::string command, std::string after)
{
    const std::string_view lineBreak = lineBreakFor(document, current.bytes);
    return planFrom(document.path(), std::move(current), std::move(command),
                    withLineBreaks(std::move(after), lineBreak));
}

PlannedChange planFromRows(const HostsDocument& document, CurrentFile current, std::string command)
{
    return planWritten(document, std::move(current), std::move(command), formatList(document.rows()));
}

// `text` that takes the place of the file's `bytes`, with the system lines of
// the bytes that it lacks in front, so that the machine keeps its own names.
std::string keepingSystemLines(const HostsDocument& document, std::string_view bytes, std::string text)
{
    const SystemBlock had = systemLinesOf(bytes, document.systemLines());
    if (had.empty())
        return text;
    const SystemBlock has = systemLinesOf(text, document.systemLines());
    std::string missing;
    for (const std::string& line : had.lines())
        if (!has.holdsLike(line))
            missing.append(line).append("\r\n");
    const std::size_t front = std::string_view(text).starts_with(utf8ByteOrderMark) ? utf8ByteOrderMark.size() : 0;
    return text.insert(front, missing);
}

// `count` with a comma between each group of three digits: "48,211".
std::string withThousandsSeparators(std::size_t count)
{
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

void requireBlockingAddress(const HostsDocument& document)
{
    if (!isBlockingAddress(document.redirectAddress()))
        throw NoBlockingAddress(document.redirectLine());
}

} // namespace

NoBlockingAddress::NoBlockingAddress(const std::string& redirectLine)
    : CommandRefused(noBlockingAddressReason(redirectLine))
{
}

NothingToRemove::NothingToRemove(std::string_view redirectAddress, std::size_t otherEntries)
    : CommandRefused("No line held " + std::string(redirectAddress) + "; " + withThousandsSeparators(otherEntries) +
                     (otherEntries == 1 ? " entry blocks with " : " entries block with ") +
                     std::string(*otherBlockingAddress(redirectAddress)) + ". Swap localhosts first to remove those.")
{
}

namespace {

// The one change of the rows since they were last the file's lines, when it named its rows.
std::optional<HostsRows::Change> onlyChangeOf(const HostsRows& rows)
{
    if (rows.changesSinceWritten() != 1)
        return std::nullopt;
    return rows.lastChange();
}

// The save of one change of the rows as the replacement of its lines in the
// text the last save wrote, which the document kept; nothing when it kept
// none, or the change is not of that kind.
std::optional<PlannedChange> planOnWrittenText(HostsDocument& document, const std::string& command)
{
    const HostsRows& rows = document.rows();
    const std::optional<HostsRows::Change> change = onlyChangeOf(rows);
    std::optional<std::string> text = document.takeWrittenText();
    if (!change || !text || (change->first == 0 && rows.utf8ByteOrderMark()))
        return std::nullopt;
    const std::string_view lineBreak = lineBreakFor(document, *text);
    std::string lines = formatRows(rows, change->first, change->inserted, lineBreak);
    if (!areListLines(lines, change->inserted, lineBreak))
        return std::nullopt;
    return planSplice(document.path(), command, CurrentFile{std::move(*text), document.basis()},
                      LineSplice{change->first, change->removed, std::move(lines)});
}

} // namespace

PlannedChange planSaveRows(HostsDocument& document, std::string command)
{
    if (std::optional<PlannedChange> planned = planOnWrittenText(document, command))
        return std::move(*planned);
    PlannedChange change = planFromRows(document, document.readUnchanged(), std::move(command));
    change.edit = spanningLineEdit(*change.before, change.after);
    return change;
}

PlannedChange planSaveText(const HostsDocument& document, std::string text, const std::optional<FileBasis>& shown)
{
    CurrentFile current = document.readCurrent();
    const auto bytes = [&current]() -> const std::string& { return current.bytes; };
    if (shown && !stillHasBasis(*shown, current.basis.identity, bytes))
        throw ChangedElsewhere(document.path());
    return planWritten(document, std::move(current), "Save Hosts", std::move(text));
}

PlannedChange planSort(const HostsDocument& document, const Progress& progress)
{
    // The file's text, which the rows stand for, keeps its system lines as written.
    CurrentFile current = document.readUnchanged();
    std::string sorted = sortHostsFileText(current.bytes, document.redirectAddress(), progress, {},
                                           document.systemLines());
    return planWritten(document, std::move(current), "Sort File", std::move(sorted));
}

PlannedChange planSortFile(HostsDocument& document, BytesBefore bytesBefore,
                           const std::optional<std::string>& draftFolder, const Progress& progress)
{
    CurrentFile current = document.readLoadable(); // first: it takes the file's redirect address
    if (bytesBefore == BytesBefore::Kept) {
        std::string sorted = sortHostsFileText(current.bytes, document.redirectAddress(), progress, {},
                                               document.systemLines());
        return planWritten(document, std::move(current), "Sort File", std::move(sorted));
    }
    const std::string_view lineBreak = lineBreakFor(document, current.bytes);
    // The version is packed from the text beside the sort, which waits for it
    // before it lets the text go: the text, the lines and the sorted text are
    // never all in memory at once.
    std::shared_ptr<VersionDraft> draft;
    if (draftFolder)
        draft = std::make_shared<VersionDraft>(current.bytes, *draftFolder);
    std::string sorted = sortHostsFileText(
        current.bytes, document.redirectAddress(), progress,
        [&] {
            if (draft)
                draft->wait();
            std::string().swap(current.bytes);
        },
        document.systemLines());
    PlannedChange change = planFrom(document.path(), std::move(current), "Sort File",
                                    withLineBreaks(std::move(sorted), lineBreak));
    change.before.reset();
    change.draft = std::move(draft);
    return change;
}

PlannedChange planEdit(const HostsDocument& document, std::string command,
                       const std::function<std::string(std::string_view bytes)>& edit)
{
    CurrentFile current = document.readCurrent();
    std::string after = edit(current.bytes);
    return planWritten(document, std::move(current), std::move(command), std::move(after));
}

PlannedChange planMerge(const HostsDocument& document, const std::string& path, const Progress& progress,
                        std::string command)
{
    const std::string mergeText = readTextFile(path);
    CurrentFile current = document.readCurrent();
    std::string merged = mergeAndSortText(current.bytes, mergeText, document.redirectAddress(), progress,
                                          document.systemLines());
    return planWritten(document, std::move(current), std::move(command), std::move(merged));
}

PlannedChange planAppend(const HostsDocument& document, const std::string& path)
{
    const TextLines chosen = readTextLines(path);
    CurrentFile current = document.readCurrent();
    std::string appended = appendLinesToText(current.bytes, chosen.lines);
    return planWritten(document, std::move(current), "Append File", std::move(appended));
}

PlannedChange planReplace(const HostsDocument& document, const std::string& path, std::string command)
{
    std::string replacement = joinLines(readTextLines(path).lines);
    CurrentFile current = document.readCurrent();
    replacement = keepingSystemLines(document, current.bytes, std::move(replacement));
    return planWritten(document, std::move(current), std::move(command), std::move(replacement));
}

PlannedChange planRemoveBlocking(HostsDocument& document, const Progress& progress, std::size_t rowsMeanwhile)
{
    requireBlockingAddress(document);
    document.giveUpRows(rowsMeanwhile);
    CurrentFile current = document.readCurrent();
    refuseNonText(current.bytes, document.path());
    BlockingRemoval removal = *removeBlockingEntries(current.bytes, document.redirectAddress(), progress,
                                                     document.systemLines());
    if (removal.removedEntries == 0 && removal.otherAddressEntries > 0)
        throw NothingToRemove(document.redirectAddress(), removal.otherAddressEntries);
    return planWritten(document, std::move(current), "Remove All Blocking Entries", std::move(removal.text));
}

PlannedChange planSwap(HostsDocument& document)
{
    requireBlockingAddress(document);
    CurrentFile current = document.readUnchanged();
    std::optional<std::string> swapped;
    document.replaceRows(
        [&] { swapped = swapLocalhosts(document.rows(), document.redirectAddress(), document.systemLines()); });
    document.setRedirectAddress(std::move(*swapped));
    return planFromRows(document, std::move(current), "Swap localhosts");
}

PlannedChange planRestoreBackup(const HostsDocument& document, const std::string& backupPath, const Progress& progress)
{
    std::string restored = formatList(loadHostsFile(backupPath, progress).rows);
    CurrentFile current = document.readCurrent();
    restored = keepingSystemLines(document, current.bytes, std::move(restored));
    return planWritten(document, std::move(current), "Restore Backup", std::move(restored));
}

PlannedChange planDefaultHosts(const HostsDocument& document)
{
    return planWritten(document, document.readCurrent(), "Restore MS Hosts", defaultHostsText(document.style()));
}

PlannedChange planRemoveWhitelisted(HostsDocument& document, const std::string& whitelistPath)
{
    const std::vector<std::string> whitelist = readWhitelist(whitelistPath);
    CurrentFile current = document.readUnchanged();
    document.replaceRows([&] { removeWhitelistedRows(document.rows(), whitelist, document.systemLines()); });
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
    document.replaceRows(
        [&] { addWhitelistRows(document.rows(), whitelist, document.redirectAddress(), document.systemLines()); });
    std::string sorted = sortHostsText(formatList(document.rows()), document.redirectAddress(), progress,
                                       document.systemLines());
    return planWritten(document, std::move(current), "Add Whitelist Items", std::move(sorted));
}

} // namespace vendrel

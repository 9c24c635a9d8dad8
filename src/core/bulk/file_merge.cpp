#include "core/bulk/file_merge.h"

#include "core/bulk/address_words.h"
#include "core/bulk/blocking_address.h"
#include "core/bulk/file_sort.h"
#include "core/hosts/text_file.h"

namespace vendrel {
namespace {

// Appends each line of `text` with CR LF, every whole-word `from` in it
// replaced by `to` (nothing replaced when `from` is empty); the system's own
// lines stay as written.
void appendLinesReplacing(std::string& out, std::string_view text, std::string_view from, std::string_view to,
                          const SystemLines& systemLines)
{
    forEachLine(text, [&](std::string_view line) {
        appendReplacingAddress(out, line, systemLines.isSystemLine(line) ? std::string_view() : from, to);
        out.append("\r\n");
    });
}

} // namespace

std::string mergeHostsText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress,
                           const SystemLines& systemLines)
{
    const auto other = otherBlockingAddress(redirectAddress);
    const std::string_view from = other ? *other : std::string_view();
    // Room for CR LF breaks and for the longer address in every line.
    // A mark in front of the merged text would land inside the hosts file.
    mergeText = withoutByteOrderMark(mergeText);
    const std::size_t lines = countLines(hostsText) + countLines(mergeText);
    std::string merged;
    merged.reserve(hostsText.size() + mergeText.size() + lines * 4 + 16);
    appendLinesReplacing(merged, hostsText, from, redirectAddress, systemLines);
    appendLinesReplacing(merged, mergeText, from, redirectAddress, systemLines);
    return merged;
}

std::string mergeAndSortText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress,
                             const Progress& progress, const SystemLines& systemLines)
{
    progress.start(mergingCaption, 0);
    return sortHostsText(mergeHostsText(hostsText, mergeText, redirectAddress, systemLines), redirectAddress, progress,
                         systemLines);
}

} // namespace vendrel

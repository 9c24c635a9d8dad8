#include "core/bulk/file_merge.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/file_sort.h"
#include "core/hosts/text_file.h"

namespace vendrel {
namespace {

// Appends each line of `text` with CR LF, every `from` in it replaced by `to`
// (nothing replaced when `from` is empty).
void appendLinesReplacing(std::string& out, std::string_view text, std::string_view from, std::string_view to)
{
    forEachLine(text, [&](std::string_view line) {
        std::size_t start = 0;
        if (!from.empty())
            for (std::size_t found = line.find(from); found != std::string_view::npos; found = line.find(from, start)) {
                out.append(line.substr(start, found - start)).append(to);
                start = found + from.size();
            }
        out.append(line.substr(start)).append("\r\n");
    });
}

} // namespace

std::string mergeHostsText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress)
{
    const auto other = otherBlockingAddress(redirectAddress);
    const std::string_view from = other ? *other : std::string_view();
    // Room for CR LF breaks and for the longer address in every line.
    // A mark in front of the merged text would land inside the hosts file.
    mergeText = withoutByteOrderMark(mergeText);
    const std::size_t lines = countLines(hostsText) + countLines(mergeText);
    std::string merged;
    merged.reserve(hostsText.size() + mergeText.size() + lines * 4 + 16);
    appendLinesReplacing(merged, hostsText, from, redirectAddress);
    appendLinesReplacing(merged, mergeText, from, redirectAddress);
    return merged;
}

std::string mergeAndSortText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress,
                             const Progress& progress)
{
    progress.start(mergingCaption, 0);
    return sortHostsText(mergeHostsText(hostsText, mergeText, redirectAddress), redirectAddress, progress);
}

} // namespace vendrel

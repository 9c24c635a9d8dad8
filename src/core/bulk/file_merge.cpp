#include "core/bulk/file_merge.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/text_file.h"

#include <filesystem>

namespace vendrel {
namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    std::string replaced;
    replaced.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::string::npos; found = text.find(from, start)) {
        replaced.append(text, start, found - start).append(to);
        start = found + from.size();
    }
    replaced.append(text, start, std::string::npos);
    text = std::move(replaced);
}

// A hosts file that has gone missing merges as an empty one, as an append creates it.
std::string readHostsIfPresent(const std::string& hostsPath)
{
    std::error_code ignored;
    return std::filesystem::exists(hostsPath, ignored) ? readTextFile(hostsPath) : std::string();
}

} // namespace

std::string mergeHostsText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress)
{
    std::string merged = joinLines(splitLines(hostsText));
    merged += joinLines(splitLines(mergeText));
    if (const auto other = otherBlockingAddress(redirectAddress))
        replaceAll(merged, *other, redirectAddress);
    return merged;
}

void FileMerge(const std::string& hostsPath, const std::string& mergePath, std::string_view redirectAddress,
               const Progress& progress)
{
    const std::string mergeText = readTextFile(mergePath);
    progress.start(mergingCaption, 0);
    writeWholeFile(hostsPath, mergeHostsText(readHostsIfPresent(hostsPath), mergeText, redirectAddress));
}

void mergeAndSortHostsFile(const std::string& hostsPath, const std::string& mergePath,
                           std::string_view redirectAddress, const Progress& progress)
{
    const std::string mergeText = readTextFile(mergePath);
    progress.start(mergingCaption, 0);
    const std::string merged = mergeHostsText(readHostsIfPresent(hostsPath), mergeText, redirectAddress);
    writeWholeFile(hostsPath, sortHostsText(merged, redirectAddress, progress));
}

} // namespace vendrel

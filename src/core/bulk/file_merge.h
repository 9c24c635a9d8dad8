#pragma once

#include "core/progress.h"

#include <string>
#include <string_view>

namespace vendrel {

inline constexpr const char* mergingCaption = "Please - wait";

// The hosts text with the lines of another file after it (on a new line when
// the hosts text lacks a final break), and every occurrence of the other
// blocking address, comments included, replaced by the redirect address.
// Nothing is replaced when the redirect address is not a blocking address.
std::string mergeHostsText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress);

// Merges the file at `mergePath` into the hosts file, writing it once.
void FileMerge(const std::string& hostsPath, const std::string& mergePath, std::string_view redirectAddress,
               const Progress& progress = {});

// The text of the merge sequence: the merged text, sorted.
std::string mergeAndSortText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress,
                             const Progress& progress = {});

// Every merge of the editor: merge, then sort, with one write of the hosts
// file, so that it never holds merged lines with unconverted addresses.
void mergeAndSortHostsFile(const std::string& hostsPath, const std::string& mergePath,
                           std::string_view redirectAddress, const Progress& progress = {});

} // namespace vendrel

#pragma once

#include "core/hosts/system_lines.h"
#include "core/progress.h"

#include <string>
#include <string_view>

namespace vendrel {

inline constexpr const char* mergingCaption = "Please - wait";

// The hosts text with the lines of another file after it (on a new line when
// the hosts text lacks a final break), and every occurrence of the other
// blocking address as a whole word, comments included, replaced by the
// redirect address, except in the system's own lines. Nothing is replaced
// when the redirect address is not a blocking address.
std::string mergeHostsText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress,
                           const SystemLines& systemLines = SystemLines());

// The text of the merge sequence: the merged text, sorted, so that the
// hosts file never holds merged lines with unconverted addresses.
std::string mergeAndSortText(std::string_view hostsText, std::string_view mergeText, std::string_view redirectAddress,
                             const Progress& progress = {}, const SystemLines& systemLines = SystemLines());

} // namespace vendrel

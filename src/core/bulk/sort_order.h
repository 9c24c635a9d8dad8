#pragma once

#include "core/bulk/sort_lines.h"

#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The text a sort writes of its kept lines: the system's own lines in their
// order, "<address>\tlocalhost", an empty line when any line was kept, and the lines in the user's locale with case
// ignored, one of each group that differs only in case (the one added
// first), CR LF after every line; the UTF-8 byte-order mark in front when
// `byteOrderMark` is set.
std::string sortedText(const SortLines& lines, std::string_view address, bool byteOrderMark,
                       const std::vector<std::string>& systemLines);

} // namespace vendrel

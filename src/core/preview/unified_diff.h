#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vendrel {

// A unified diff of two texts ("--- oldName", "+++ newName", then hunks
// "@@ -a,b +c,d @@" with `context` unchanged lines around each change),
// compared line by line; empty when no line differs.
//
// Lines split as forEachLine splits them and compare without their line
// break, so that a text that only changed from LF to CR LF gives no diff;
// a last line without a break differs from the same line with one, and is
// marked "\ No newline at end of file". Lines are shown with their own
// breaks: context lines as the old text has them. A line that ends in a lone
// CR is shown ending in LF, since a diff's lines end in LF.
//
// The common first and last lines are set aside, and the rest is compared
// with Myers' shortest edit script; when that needs more than 2,000 edits
// (a sort of a large file), the rest becomes one hunk that removes it all
// and adds it all again, which is still a valid diff.
std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view oldName,
                        std::string_view newName, std::size_t context = 3);

} // namespace vendrel

#pragma once

#include <string>
#include <string_view>

namespace vendrel {

inline constexpr std::string_view crLf = "\r\n";
inline constexpr std::string_view lineFeed = "\n";

// The line break a text uses: its first line's, CR LF or LF; `fallback` (the
// platform's) when the text has no line break or ends its first line with a
// lone CR.
std::string_view lineBreakOf(std::string_view text, std::string_view fallback);

// `text` with every line break (CR LF, LF or a lone CR) made `lineBreak`.
// Changes nothing, and copies nothing, when every break is that one already.
std::string withLineBreaks(std::string text, std::string_view lineBreak);

} // namespace vendrel

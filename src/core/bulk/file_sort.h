#pragma once

#include "core/hosts/system_lines.h"
#include "core/progress.h"

#include <functional>
#include <string>
#include <string_view>

namespace vendrel {

inline constexpr const char* sortingCaption = "Sorting - Please Wait";

// Normalises and sorts hosts-file text. The system's own lines (see
// SystemLines) stay as written, in their order, each once, in front of the
// header. Every other blocking entry (a line naming
// 127.0.0.1 or 0.0.0.0 outside its comment) becomes the sort address, a TAB
// and its host part; lines that mention "localhost" in any case, comments and
// blank lines go; other lines stay as written. The survivors are sorted in
// the user's locale with case ignored, one line of each group that differs
// only in case kept (the bottom-most entry, the top-most other line), after
// the header "<address>\tlocalhost" and one empty line. The address is the
// redirect address when it is a blocking address, 127.0.0.1 otherwise. A
// UTF-8 byte-order mark in front of the text stays in front of the result.
// Returns the new file text, CR LF after every line. The text's memory is
// let go before the lines are sorted.
std::string sortHostsText(std::string text, std::string_view redirectAddress, const Progress& progress = {},
                          const SystemLines& systemLines = SystemLines());
// Sorts a hosts file's text as the list shows it once loaded: each line read
// as its address and host cells joined by a TAB, which is what sorting the
// saved list of its rows gives, without the rows; a system line is kept as written. `textDone`, if any, is told
// as soon as the text is no longer read, before the lines are sorted.
std::string sortHostsFileText(std::string_view fileText, std::string_view redirectAddress,
                              const Progress& progress = {}, const std::function<void()>& textDone = {},
                              const SystemLines& systemLines = SystemLines());

} // namespace vendrel

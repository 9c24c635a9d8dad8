#pragma once

#include <cstddef>
#include <string_view>

namespace vendrel {

// One line of a text as forEachLine splits it, with the break that ends it.
struct TextLine {
    std::string_view content;
    std::string_view ending; // "\n", "\r", "\r\n", or empty for a last line without one
    std::size_t next = 0;    // where the following line starts
};

// The line that starts at `start` (< text.size()): CR, LF and CR LF each end a line.
TextLine lineAt(std::string_view text, std::size_t start);

// The number of lines forEachLine visits, counted without visiting them.
std::size_t countTextLines(std::string_view text);

} // namespace vendrel

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The lines of a text file together with the text they point into.
struct TextLines {
    std::string text;
    std::vector<std::string_view> lines;
};

// Reads a text file as lines (CR, LF or CR LF breaks). Throws Error naming
// the file when it cannot be read or holds NUL bytes or UTF-16.
TextLines readTextLines(const std::string& path);

// `text` with the lines after it, each followed by CR LF, starting on a new
// line when the text does not end with a break.
std::string appendLinesToText(std::string text, const std::vector<std::string_view>& lines);

// The lines joined, each followed by CR LF.
std::string joinLines(const std::vector<std::string_view>& lines);

} // namespace vendrel

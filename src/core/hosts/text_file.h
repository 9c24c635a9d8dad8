#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The UTF-8 byte-order mark some editors put in front of a text file.
inline constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// The text without the UTF-8 byte-order mark in front of it, if it has one.
inline std::string_view withoutByteOrderMark(std::string_view text)
{
    return text.starts_with(utf8ByteOrderMark) ? text.substr(utf8ByteOrderMark.size()) : text;
}

// Largest file the editor reads; anything larger is refused before memory is spent.
inline constexpr std::size_t maximumTextFileSize = std::size_t{1} << 30;

// Reads a whole regular file as bytes. Throws Error naming the file when it
// cannot be opened or read, is not a regular file (a named pipe or a device
// is refused before anything is read), or is larger than maximumTextFileSize.
std::string readWholeFile(const std::string& path);

// Throws Error naming `path` when the bytes are not 8-bit or UTF-8 text that
// lines can hold: any NUL byte, named as UTF-16 or UTF-32 text when the
// bytes begin with that byte-order mark.
// `outcome` ends the message, saying what became of the files.
void refuseNonText(std::string_view text, const std::string& path,
                   std::string_view outcome = "the file was left unchanged.");

// Reads a whole text file, refusing what refuseNonText refuses. A UTF-8
// byte-order mark in front is set aside, so that it never becomes part of a
// line when the text is merged or appended into another file.
std::string readTextFile(const std::string& path);

// Calls visit(line) for each line of `text`. CR, LF and CR LF each end a line;
// a break at the very end does not start another (empty) line.
template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit)
{
    std::size_t start = 0;
    const std::size_t size = text.size();
    while (start < size) {
        std::size_t end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        visit(text.substr(start, end - start));
        if (end < size && text[end] == '\r' && end + 1 < size && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

// Number of lines forEachLine visits.
std::size_t countLines(std::string_view text);

std::vector<std::string_view> splitLines(std::string_view text);

// Writes each line followed by CR LF, the last included, replacing the file atomically.
void writeTextLines(const std::string& path, const std::vector<std::string>& lines);

// Replaces the file atomically; throws Error naming the file on failure.
void writeWholeFile(const std::string& path, std::string_view bytes);

} // namespace vendrel

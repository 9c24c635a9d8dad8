#include "core/hosts/text_file.h"

#include "core/error.h"
#include "core/text/byte_words.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <algorithm>
#include <cstring>

namespace vendrel {

std::string readWholeFile(const std::string& path)
{
    try {
        return platform::readRegularFile(path, maximumTextFileSize);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

void refuseNonText(std::string_view text, const std::string& path, std::string_view outcome)
{
    // Without NUL bytes the text is 8-bit or UTF-8, even when it begins with
    // the bytes of a UTF-16 mark (in Windows-1252, "\xFF\xFE" is a pair of
    // letters an address cell may hold, and the list then saves first).
    if (std::memchr(text.data(), '\0', text.size()) == nullptr)
        return;
    // A UTF-32 LE mark (FF FE 00 00) begins with the UTF-16 LE one, so it is tested first.
    const bool utf32 = text.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
                       text.starts_with(std::string_view("\0\0\xFE\xFF", 4));
    if (utf32 || text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        throw Error("Cannot load " + path + ": the file is stored as " + (utf32 ? "UTF-32" : "UTF-16") +
                    " text, which the hosts list cannot hold. Save it as ANSI or UTF-8 text; " + std::string(outcome));
    throw Error("Cannot load " + path + ": the file holds NUL bytes, so it is not a plain text hosts file; " +
                std::string(outcome));
}

std::string readTextFile(const std::string& path)
{
    std::string text = readWholeFile(path);
    refuseNonText(text, path, "the hosts file was not changed.");
    if (text.starts_with(utf8ByteOrderMark))
        text.erase(0, utf8ByteOrderMark.size());
    return text;
}

std::size_t countLines(std::string_view text)
{
    // Every LF ends a line, and every CR but one of a CR LF; so does the end
    // of an unbroken last line. The LFs are counted eight bytes at a time.
    std::size_t breaks = 0;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8)
        breaks += byte_words::count(byte_words::bytesEqual(byte_words::load(text.data() + at), '\n'));
    breaks += static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), '\n'));
    for (std::size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', cr + 1))
        breaks += cr + 1 == text.size() || text[cr + 1] != '\n' ? 1 : 0;
    const bool unbroken = !text.empty() && text.back() != '\n' && text.back() != '\r';
    return breaks + (unbroken ? 1 : 0);
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    forEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    return lines;
}

void writeTextLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::size_t total = 0;
    for (const auto& line : lines)
        total += line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    writeWholeFile(path, bytes);
}

void writeWholeFile(const std::string& path, std::string_view bytes)
{
    try {
        platform::writeFileAtomically(path, bytes);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

} // namespace vendrel

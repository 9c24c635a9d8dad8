#include "core/hosts/text_file.h"

#include "core/error.h"
#include "core/text/byte_words.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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
    // of an unbroken last line. The bytes are read eight at a time: a CR LF
    // is a CR whose next byte, one byte up in the word, is an LF.
    std::size_t lineFeeds = 0;
    std::size_t carriageReturns = 0;
    std::size_t pairs = 0;
    std::size_t at = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; at + 8 <= text.size(); at += 8) {
            const std::uint64_t word = byte_words::load(text.data() + at);
            const std::uint64_t lf = byte_words::bytesEqual(word, '\n');
            const std::uint64_t cr = byte_words::bytesEqual(word, '\r');
            lineFeeds += byte_words::count(lf);
            carriageReturns += byte_words::count(cr);
            pairs += byte_words::count(cr & (lf >> 8));
            if ((cr >> 56) != 0 && at + 8 < text.size() && text[at + 8] == '\n')
                ++pairs;
        }
    }
    for (; at < text.size(); ++at) {
        lineFeeds += text[at] == '\n' ? 1 : 0;
        if (text[at] == '\r') {
            ++carriageReturns;
            pairs += at + 1 < text.size() && text[at + 1] == '\n' ? 1 : 0;
        }
    }
    const bool unbroken = !text.empty() && text.back() != '\n' && text.back() != '\r';
    return lineFeeds + (carriageReturns - pairs) + (unbroken ? 1 : 0);
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

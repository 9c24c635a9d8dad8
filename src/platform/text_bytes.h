#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text as the files of both programs hold it: bytes in UTF-8 or in the
// Western 8-bit code page (Windows-1252), where ASCII is the same in both.
namespace platform {

inline bool isAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether two texts are equal when ASCII letters are folded.
inline bool equalIgnoringAsciiCase(std::string_view first, std::string_view second)
{
    if (first.size() != second.size())
        return false;
    for (std::size_t i = 0; i < first.size(); ++i)
        if (asciiLower(first[i]) != asciiLower(second[i]))
            return false;
    return true;
}

// Whether `bytes` is well-formed UTF-8: no stray continuation bytes, no
// overlong forms, no surrogates and nothing past U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The one rule for reading bytes as text: valid UTF-8 is UTF-8, anything
// else is the 8-bit code page. Returns UTF-16.
std::u16string decodeText(std::string_view bytes);

// `text` in the 8-bit code page; nothing when it cannot hold a character of it.
std::optional<std::string> encodeEightBit(std::u16string_view text);

} // namespace platform

#pragma once

#include "platform/text_bytes.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vendrel {

// Byte-level helpers for hosts-file text. Hosts files may be in any 8-bit
// code page; ASCII letters and the control range are the same in all of them.

inline bool isSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

using platform::asciiLower;

// `text` with its ASCII letters in lower case.
inline std::string asciiLowerCopy(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = asciiLower(c);
    return lower;
}

// The text without leading and trailing characters of code 32 or less.
inline std::string_view trimSpaceAndControls(std::string_view text)
{
    while (!text.empty() && isSpaceOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpaceOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// Whether `text` equals `lowerWord` (given in lower case) when ASCII letters are folded.
inline bool equalsIgnoringAsciiCase(std::string_view text, std::string_view lowerWord)
{
    if (text.size() != lowerWord.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (asciiLower(text[i]) != lowerWord[i])
            return false;
    return true;
}

// Whether `lowerNeedle` (given in lower case) occurs in `haystack` when ASCII letters are folded.
inline bool containsIgnoringAsciiCase(std::string_view haystack, std::string_view lowerNeedle)
{
    if (lowerNeedle.empty())
        return true;
    if (lowerNeedle.size() > haystack.size())
        return false;
    const std::size_t lastStart = haystack.size() - lowerNeedle.size();
    for (std::size_t start = 0; start <= lastStart; ++start) {
        if (asciiLower(haystack[start]) != lowerNeedle[0])
            continue;
        std::size_t i = 1;
        while (i < lowerNeedle.size() && asciiLower(haystack[start + i]) == lowerNeedle[i])
            ++i;
        if (i == lowerNeedle.size())
            return true;
    }
    return false;
}

// Finds a word given in lower case in text of any case, skipping ahead by
// the word's last letters as a Horspool search does: most bytes of the text
// are never looked at.
class AsciiCaseSearch {
public:
    explicit AsciiCaseSearch(std::string_view lowerWord) : word_(lowerWord)
    {
        shifts_.fill(word_.size());
        for (std::size_t i = 0; i + 1 < word_.size(); ++i) {
            const auto c = static_cast<unsigned char>(word_[i]);
            shifts_[c] = word_.size() - 1 - i;
            shifts_[static_cast<unsigned char>(asciiUpper(static_cast<char>(c)))] = word_.size() - 1 - i;
        }
    }

    // The position of the first occurrence from `from` on, or npos.
    std::size_t find(std::string_view text, std::size_t from = 0) const
    {
        if (word_.empty())
            return from <= text.size() ? from : std::string_view::npos;
        for (std::size_t at = from; at + word_.size() <= text.size();) {
            const char last = text[at + word_.size() - 1];
            if (asciiLower(last) == word_.back() && equalsIgnoringAsciiCase(text.substr(at, word_.size()), word_))
                return at;
            at += shifts_[static_cast<unsigned char>(last)];
        }
        return std::string_view::npos;
    }

private:
    static char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

    std::string_view word_;
    std::array<std::size_t, 256> shifts_{};
};

} // namespace vendrel

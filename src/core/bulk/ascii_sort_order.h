#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vendrel {

// The order the locale's sort keys (platform::LocaleSortKeys) give text made
// of TAB and printable ASCII, as one weight per byte, where the collator
// provably orders such text byte by byte: every byte has a weight of its own
// (letters of both cases share one), and the keys of every text of one and
// of two such bytes order, and tie, exactly as their weights do. A locale
// with contractions or ignorable characters among these bytes has no table.
// Whether every byte of `text` is a TAB or printable ASCII, the bytes the table can weigh.
inline bool isTabOrPrintableAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == '\t' || (c >= ' ' && c <= '~'); });
}

class AsciiSortOrder {
public:
    // Derived once for each locale (some ten thousand sort keys), then kept.
    static std::optional<AsciiSortOrder> ofCurrentLocale();

    // 1 and up for a byte of the table, 0 for any other byte; texts compare
    // as the sequences of their weights, a shorter prefix first.
    std::uint8_t weight(char c) const { return weights_[static_cast<unsigned char>(c)]; }
    // Whether two bytes share a weight only when they are one letter in its
    // two cases: texts of equal weights then differ in letter case alone.
    bool tiesOnlyLetterCase() const { return tiesOnlyLetterCase_; }

private:
    static std::optional<AsciiSortOrder> derivedFromCollator();

    std::array<std::uint8_t, 256> weights_{};
    bool tiesOnlyLetterCase_ = false;
};

} // namespace vendrel

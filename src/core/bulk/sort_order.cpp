#include "core/bulk/sort_order.h"

#include "core/bulk/ascii_sort_order.h"
#include "core/bulk/key_order.h"
#include "core/bulk/sort_key_table.h"
#include "core/hosts/text_file.h"
#include "platform/platform.h"
#include "platform/text_bytes.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vendrel {
namespace {

// Keys from the locale's byte weights of the lines' bodies, read straight
// from them: they order entries among themselves (which share the prefix)
// and kept lines (which have none) as their whole texts do.
class BodyWeightKeys {
public:
    BodyWeightKeys(const SortLines& lines, const AsciiSortOrder& order) : lines_(lines), order_(order) {}

    std::size_t length(std::uint32_t line) const { return lines_.body(line).size(); }
    void prefetch(std::uint32_t line, std::size_t depth) const { lines_.prefetchBody(line, depth); }
    std::uint64_t chunk(std::uint32_t line, std::size_t depth) const
    {
        const std::string_view body = lines_.body(line);
        std::uint64_t chunk = 0;
        for (std::size_t i = 0, at = depth; i < 8 && at < body.size(); ++i, ++at)
            chunk |= static_cast<std::uint64_t>(order_.weight(body[at])) << (56 - 8 * i);
        return chunk;
    }

private:
    const SortLines& lines_;
    const AsciiSortOrder& order_;
};

// The whole texts of two lines by their weights: below, at or above 0.
int compareByWeights(const SortLines& lines, const AsciiSortOrder& order, std::uint32_t a, std::uint32_t b)
{
    const std::string_view aPieces[] = {lines.prefix(a), lines.body(a)};
    const std::string_view bPieces[] = {lines.prefix(b), lines.body(b)};
    std::size_t aPiece = 0;
    std::size_t bPiece = 0;
    std::size_t aAt = 0;
    std::size_t bAt = 0;
    for (;;) {
        while (aPiece < 2 && aAt == aPieces[aPiece].size())
            aAt = 0, ++aPiece;
        while (bPiece < 2 && bAt == bPieces[bPiece].size())
            bAt = 0, ++bPiece;
        if (aPiece == 2 || bPiece == 2)
            return (aPiece == 2 ? 0 : 1) - (bPiece == 2 ? 0 : 1);
        const int aWeight = order.weight(aPieces[aPiece][aAt++]);
        const int bWeight = order.weight(bPieces[bPiece][bAt++]);
        if (aWeight != bWeight)
            return aWeight - bWeight;
    }
}

// The entries and the kept lines, each sorted by their bodies' weights, then
// merged in place by their whole texts; an entry goes before a kept line of
// the same key, as it was added first. Where a line follows one of the other
// list, its mark of an equal key is that of their whole texts.
std::vector<SortSlot> weightOrder(const SortLines& lines, const AsciiSortOrder& order)
{
    const auto before = [&lines](std::uint32_t a, std::uint32_t b) { return lines.addedBefore(a, b); };
    const BodyWeightKeys keys(lines, order);
    const KeyOrder<BodyWeightKeys, decltype(before)> sorter(keys, before);
    std::vector<SortSlot> slots = slotsOf(lines.size(), [&lines](std::size_t line) { return lines.isEntry(line); });
    const std::size_t entries = slots.size();
    for (std::size_t line = 0; line < lines.size(); ++line)
        if (!lines.isEntry(line))
            slots.push_back({0, static_cast<std::uint32_t>(line), 0});
    sorter.sort(slots, 0, entries);
    sorter.sort(slots, entries, slots.size());
    if (entries == 0 || entries == slots.size())
        return slots;
    const auto middle = slots.begin() + static_cast<std::ptrdiff_t>(entries);
    std::inplace_merge(slots.begin(), middle, slots.end(), [&](const SortSlot& a, const SortSlot& b) {
        return compareByWeights(lines, order, a.line, b.line) < 0;
    });
    slots.front().setSameKeyAsPrevious(false);
    for (std::size_t i = 1; i < slots.size(); ++i)
        if (lines.isEntry(slots[i].line) != lines.isEntry(slots[i - 1].line))
            slots[i].setSameKeyAsPrevious(compareByWeights(lines, order, slots[i - 1].line, slots[i].line) == 0);
    return slots;
}

// The collator's own keys, computed for every line up front.
class CollatorKeys {
public:
    explicit CollatorKeys(const SortLines& lines)
        : table_(lines.size(), [&lines](std::size_t line, std::string& scratch) { return lines.text(line, scratch); })
    {
    }

    std::size_t length(std::uint32_t line) const { return table_.key(line).length; }
    void prefetch(std::uint32_t, std::size_t) const {}
    std::uint64_t chunk(std::uint32_t line, std::size_t depth) const
    {
        const SortKeyTable::Key key = table_.key(line);
        std::uint64_t chunk = 0;
        for (std::size_t i = 0, at = depth; i < 8 && at < key.length; ++i, ++at)
            chunk |= static_cast<std::uint64_t>(static_cast<unsigned char>(key.bytes[at])) << (56 - 8 * i);
        return chunk;
    }

private:
    SortKeyTable table_;
};

std::vector<SortSlot> collatorOrder(const SortLines& lines)
{
    const auto before = [&lines](std::uint32_t a, std::uint32_t b) { return lines.addedBefore(a, b); };
    const CollatorKeys keys(lines);
    return KeyOrder(keys, before).sorted(slotsOf(lines.size(), [](std::size_t) { return true; }));
}

// The locale's byte weights, when it has them and they weigh every byte of the lines.
std::optional<AsciiSortOrder> coveringOrder(const SortLines& lines)
{
    // The entry prefix is a blocking address and a TAB, always in the table.
    if (!isTabOrPrintableAscii(lines.bodies()))
        return std::nullopt;
    return AsciiSortOrder::ofCurrentLocale();
}

// The sorted lines, four bytes each: the line's number, with the top bit set
// when its key equals that of the line before it.
class PackedOrder {
public:
    // Takes the slots' order and lets their memory go.
    explicit PackedOrder(std::vector<SortSlot>&& slots)
    {
        lines_.reserve(slots.size());
        for (const SortSlot& slot : slots)
            lines_.push_back(slot.line | (slot.sameKeyAsPrevious() ? sameKeyBit : 0));
        std::vector<SortSlot>().swap(slots);
    }

    std::size_t size() const { return lines_.size(); }
    std::uint32_t line(std::size_t at) const { return lines_[at] & ~sameKeyBit; }
    bool sameKeyAsPrevious(std::size_t at) const { return (lines_[at] & sameKeyBit) != 0; }

private:
    static constexpr std::uint32_t sameKeyBit = std::uint32_t{1} << 31;
    std::vector<std::uint32_t> lines_;
};

// How the lines of one group (equal keys, in the order they were added) are
// told apart: they are duplicates only when equal but for letter case.
enum class GroupTexts { DifferInCaseOnly, AsciiText, AnyText };

// Writes one group: the line added first stays of each set of duplicates.
// The survivors, which the collator cannot tell apart, are put in byte
// order, so that sorting the result again changes nothing.
void appendGroup(std::string& out, const SortLines& lines, const PackedOrder& order, std::size_t begin, std::size_t end,
                 GroupTexts kind)
{
    if (end - begin == 1 || kind == GroupTexts::DifferInCaseOnly) {
        lines.appendText(out, order.line(begin));
        out += "\r\n";
        return;
    }
    // Two entries share their prefix, so their bodies compare as their texts do.
    std::string firstText;
    std::string secondText;
    const auto texts = [&](std::uint32_t first, std::uint32_t second) {
        if (lines.isEntry(first) == lines.isEntry(second))
            return std::pair(lines.body(first), lines.body(second));
        return std::pair(lines.text(first, firstText), lines.text(second, secondText));
    };
    std::vector<std::uint32_t> survivors;
    for (std::size_t i = begin; i < end; ++i) {
        const std::uint32_t line = order.line(i);
        const bool duplicate = std::any_of(survivors.begin(), survivors.end(), [&](std::uint32_t kept) {
            const auto [keptText, lineText] = texts(kept, line);
            return kind == GroupTexts::AsciiText ? platform::equalIgnoringAsciiCase(keptText, lineText)
                                                 : platform::equalIgnoringCase(keptText, lineText);
        });
        if (!duplicate)
            survivors.push_back(line);
    }
    if (survivors.size() > 1)
        std::sort(survivors.begin(), survivors.end(), [&](std::uint32_t a, std::uint32_t b) {
            const auto [aText, bText] = texts(a, b);
            return aText < bText;
        });
    for (const std::uint32_t line : survivors) {
        lines.appendText(out, line);
        out += "\r\n";
    }
}

GroupTexts groupTextsOf(const std::optional<AsciiSortOrder>& weights)
{
    if (!weights)
        return GroupTexts::AnyText;
    return weights->tiesOnlyLetterCase() ? GroupTexts::DifferInCaseOnly : GroupTexts::AsciiText;
}

} // namespace

std::string sortedText(const SortLines& lines, std::string_view address, bool byteOrderMark,
                       const std::vector<std::string>& systemLines)
{
    // From the byte weights when the locale has them and every line is made
    // of their bytes, from the collator otherwise.
    const std::optional<AsciiSortOrder> weights = coveringOrder(lines);
    const PackedOrder order(weights ? weightOrder(lines, *weights) : collatorOrder(lines));
    const GroupTexts kind = groupTextsOf(weights);
    std::string out;
    std::size_t systemBytes = 0;
    for (const std::string& line : systemLines)
        systemBytes += line.size() + 2;
    out.reserve(utf8ByteOrderMark.size() + systemBytes + address.size() + 16 + lines.textBytesWithBreaks());
    platform::adviseLargeBlock(out.data(), out.capacity());
    if (byteOrderMark)
        out.append(utf8ByteOrderMark);
    for (const std::string& line : systemLines)
        out.append(line).append("\r\n");
    out.append(address).append("\tlocalhost\r\n");
    if (lines.size() > 0)
        out += "\r\n";
    // Lines are read in sorted order, all over memory: their bytes are fetched ahead.
    constexpr std::size_t fetchAhead = 16;
    for (std::size_t group = 0; group < order.size();) {
        if (group + fetchAhead < order.size())
            lines.prefetchBody(order.line(group + fetchAhead), 0);
        std::size_t groupEnd = group + 1;
        while (groupEnd < order.size() && order.sameKeyAsPrevious(groupEnd))
            ++groupEnd;
        appendGroup(out, lines, order, group, groupEnd, kind);
        group = groupEnd;
    }
    return out;
}

} // namespace vendrel

#include "core/bulk/file_sort.h"

#include "core/bulk/ascii_sort_order.h"
#include "core/bulk/blocking_address.h"
#include "core/bulk/key_order.h"
#include "core/bulk/sort_key_table.h"
#include "core/bulk/sort_lines.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vendrel {
namespace {

constexpr std::size_t commentLength = 500;

// The text a blocking entry leaves once its address is cut: the address's
// first digit ("1" or "0") is searched anywhere in the text, and `cut`
// characters from there go, as the entry format has always done.
bool cutAddress(std::string& text, std::string_view address, char firstDigit, std::size_t cut)
{
    if (text.find(address) == std::string::npos)
        return false;
    text.erase(text.find(firstDigit), cut);
    return true;
}

// The host part of a comment-free line whose address starts the line: the
// text after the cut, which needs no copy. Nothing when text stands before
// the address digit, which the copying path handles.
std::optional<std::string_view> hostWithoutCopy(std::string_view line, char firstDigit, std::size_t cut)
{
    const std::size_t digit = line.find(firstDigit);
    if (!trimSpaceAndControls(line.substr(0, digit)).empty())
        return std::nullopt;
    return trimSpaceAndControls(digit + cut < line.size() ? line.substr(digit + cut) : std::string_view());
}

// Reads one line: true for a blocking entry, whose host part is then left in
// `host` (a view of the line, or of `text` when the line had to be edited);
// otherwise `keep` tells whether the line stays unchanged.
bool classifyLine(std::string_view line, std::string& text, std::string_view& host, bool& keep)
{
    keep = false;
    if (containsIgnoringAsciiCase(line, "localhost"))
        return false;
    if (line.find('#') == std::string_view::npos) {
        // Most lines: no comment, the address first.
        const bool loopback = line.find(loopbackAddress) != std::string_view::npos;
        if (loopback || line.find(nullRouteAddress) != std::string_view::npos) {
            if (const auto plain = loopback ? hostWithoutCopy(line, '1', 10) : hostWithoutCopy(line, '0', 8)) {
                host = *plain;
                return true;
            }
        }
    }
    text.assign(line);
    if (const std::size_t hash = text.find('#'); hash != std::string::npos)
        text.erase(hash, commentLength);
    if (cutAddress(text, loopbackAddress, '1', 10) || cutAddress(text, nullRouteAddress, '0', 8)) {
        host = trimSpaceAndControls(text);
        return true;
    }
    keep = !trimSpaceAndControls(text).empty();
    return false;
}

// Keys from the locale's byte weights of the lines' bodies, read straight
// from them: they order entries among themselves (which share the prefix)
// and kept lines (which have none) as their whole texts do.
class BodyWeightKeys {
public:
    BodyWeightKeys(const SortLines& lines, const AsciiSortOrder& order) : lines_(lines), order_(order) {}

    std::size_t length(std::uint32_t line) const { return lines_.body(line).size(); }
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

// The entries and the kept lines, each sorted by their bodies' weights,
// merged by their whole texts; an entry goes before a kept line of the same
// key, as it was added first.
std::vector<SortSlot> weightOrder(const SortLines& lines, const AsciiSortOrder& order)
{
    const auto before = [&lines](std::uint32_t a, std::uint32_t b) { return lines.addedBefore(a, b); };
    const BodyWeightKeys keys(lines, order);
    const KeyOrder<BodyWeightKeys, decltype(before)> sorter(keys, before);
    const std::vector<SortSlot> entries =
        sorter.sorted(slotsOf(lines.size(), [&lines](std::size_t line) { return lines.isEntry(line); }));
    const std::vector<SortSlot> kept =
        sorter.sorted(slotsOf(lines.size(), [&lines](std::size_t line) { return !lines.isEntry(line); }));

    std::vector<SortSlot> merged;
    merged.reserve(lines.size());
    bool lastWasEntry = false;
    // A line's mark of an equal key holds while its own list's line came just before it.
    const auto take = [&](SortSlot slot, bool entry) {
        if (merged.empty())
            slot.sameKeyAsPrevious = 0;
        else if (entry != lastWasEntry)
            slot.sameKeyAsPrevious = compareByWeights(lines, order, merged.back().line, slot.line) == 0;
        merged.push_back(slot);
        lastWasEntry = entry;
    };
    if (kept.empty())
        return entries;
    std::size_t e = 0;
    std::size_t k = 0;
    while (e < entries.size() || k < kept.size()) {
        const bool entryFirst =
            k == kept.size() ||
            (e < entries.size() && compareByWeights(lines, order, entries[e].line, kept[k].line) <= 0);
        if (entryFirst)
            take(entries[e++], true);
        else
            take(kept[k++], false);
    }
    return merged;
}

// The collator's own keys, computed for every line up front.
class CollatorKeys {
public:
    explicit CollatorKeys(const SortLines& lines)
        : table_(lines.size(), [&lines](std::size_t line, std::string& scratch) { return lines.text(line, scratch); })
    {
    }

    std::size_t length(std::uint32_t line) const { return table_.key(line).length; }
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

// Lines whose keys are equal (a group, in the order they were added) are
// duplicates only when they are equal but for letter case: the line added
// first stays. The survivors, which the collator cannot tell apart, are put
// in byte order, so that sorting the result again changes nothing.
void appendGroup(std::string& out, const SortLines& lines, const std::vector<SortSlot>& order, std::size_t begin,
                 std::size_t end, bool asciiOnly)
{
    if (end - begin == 1) {
        lines.appendText(out, order[begin].line);
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
        const std::uint32_t line = order[i].line;
        const bool duplicate = std::any_of(survivors.begin(), survivors.end(), [&](std::uint32_t kept) {
            const auto [keptText, lineText] = texts(kept, line);
            return asciiOnly ? platform::equalIgnoringAsciiCase(keptText, lineText)
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

std::string sortedText(const SortLines& lines, std::string_view address, bool byteOrderMark)
{
    // From the byte weights when the locale has them and every line is made
    // of their bytes, from the collator otherwise.
    const std::optional<AsciiSortOrder> weights = coveringOrder(lines);
    const std::vector<SortSlot> order = weights ? weightOrder(lines, *weights) : collatorOrder(lines);
    std::string out;
    out.reserve(utf8ByteOrderMark.size() + address.size() + 16 + lines.textBytesWithBreaks());
    if (byteOrderMark)
        out.append(utf8ByteOrderMark);
    out.append(address).append("\tlocalhost\r\n");
    if (lines.size() > 0)
        out += "\r\n";
    for (std::size_t group = 0; group < order.size();) {
        std::size_t groupEnd = group + 1;
        while (groupEnd < order.size() && order[groupEnd].sameKeyAsPrevious)
            ++groupEnd;
        appendGroup(out, lines, order, group, groupEnd, weights.has_value());
        group = groupEnd;
    }
    return out;
}

// The lines of `text` bound for the result.
SortLines keptLines(std::string_view text, std::string_view address, const Progress& progress)
{
    const auto count = static_cast<std::uint32_t>(countLines(text));
    progress.start(sortingCaption, count);
    SortLines lines(std::string(address) + '\t', count, text.size());
    std::string scratch;
    std::uint32_t index = 0;
    forEachLine(text, [&](std::string_view line) {
        bool keep = false;
        std::string_view host;
        if (classifyLine(line, scratch, host, keep))
            lines.add(host, true);
        else if (keep)
            lines.add(line, false);
        progress.step(index++);
    });
    return lines;
}

} // namespace

std::string sortHostsText(std::string_view markedText, std::string_view redirectAddress, const Progress& progress)
{
    // A byte-order mark belongs in front of the file, not to its first line.
    const std::string_view text = withoutByteOrderMark(markedText);
    const std::string_view address = sortAddressFor(redirectAddress);
    return sortedText(keptLines(text, address, progress), address, text.size() != markedText.size());
}

std::string sortHostsText(std::string&& markedText, std::string_view redirectAddress, const Progress& progress)
{
    const std::string_view text = withoutByteOrderMark(markedText);
    const bool byteOrderMark = text.size() != markedText.size();
    const std::string_view address = sortAddressFor(redirectAddress);
    const SortLines lines = keptLines(text, address, progress);
    // The kept lines hold copies of what they need: the source can go before the sort needs memory.
    std::string().swap(markedText);
    return sortedText(lines, address, byteOrderMark);
}

} // namespace vendrel

#include "core/bulk/file_sort.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/sort_key_table.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cstdint>
#include <optional>
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

// One line bound for the result. Its bytes are the source line (a kept
// line), or the sort address, a TAB and a host part (an entry); the host part
// is taken from the source text where it stands there whole, and from a
// side buffer otherwise. Lines added earlier win among duplicates.
struct ResultLine {
    std::uint64_t offset;
    std::uint32_t length;
    std::uint32_t addedAs;
    bool isEntry;
    bool inSideBuffer;
};

struct SortSlot {
    std::uint64_t keyChunk; // eight key bytes at the depth being sorted
    const char* key;        // NUL-terminated collation key
    std::uint32_t keyLength;
    std::uint32_t line : 31;
    std::uint32_t sameKeyAsPrevious : 1; // set once sorted
};

class ResultBuilder {
public:
    ResultBuilder(std::string_view source, std::string_view address, std::size_t expectedLines)
        : source_(source), entryPrefix_(std::string(address) + '\t')
    {
        lines_.reserve(expectedLines);
    }

    void addEntry(std::string_view sourceLine, std::string_view host, std::uint32_t addedAs)
    {
        ResultLine line{0, static_cast<std::uint32_t>(host.size()), addedAs, true, false};
        const bool insideLine =
            host.data() >= sourceLine.data() && host.data() + host.size() <= sourceLine.data() + sourceLine.size();
        if (insideLine) {
            line.offset = static_cast<std::uint64_t>(host.data() - source_.data());
        } else if (const std::size_t at = sourceLine.find(host); at != std::string_view::npos) {
            line.offset = static_cast<std::uint64_t>(sourceLine.data() + at - source_.data());
        } else {
            line.offset = sideBuffer_.size();
            line.inSideBuffer = true;
            sideBuffer_.append(host);
        }
        lines_.push_back(line);
    }

    void addKept(std::string_view sourceLine, std::uint32_t addedAs)
    {
        const auto offset = static_cast<std::uint64_t>(sourceLine.data() - source_.data());
        lines_.push_back({offset, static_cast<std::uint32_t>(sourceLine.size()), addedAs, false, false});
    }

    std::string write(std::string_view address)
    {
        keys_.emplace(lines_.size(), [this](std::size_t index, std::string& scratch) {
            return textOf(static_cast<std::uint32_t>(index), scratch);
        });
        const std::vector<SortSlot> order = sortedSlots();
        keys_.reset();
        std::string out;
        out.reserve(source_.size() + lines_.size() * 12 + 64);
        out.append(address).append("\tlocalhost\r\n");
        if (!lines_.empty())
            out += "\r\n";
        for (std::size_t group = 0; group < order.size();) {
            std::size_t groupEnd = group + 1;
            while (groupEnd < order.size() && order[groupEnd].sameKeyAsPrevious)
                ++groupEnd;
            for (const std::uint32_t line : survivorsOfGroup(order, group, groupEnd)) {
                appendText(out, line);
                out += "\r\n";
            }
            group = groupEnd;
        }
        return out;
    }

private:
    // Lines whose keys are equal (a group, in the order they were added) are
    // duplicates only when they are equal but for letter case: the line added
    // first stays. The survivors, which the collator cannot tell apart, are
    // put in byte order, so that sorting the result again changes nothing.
    std::vector<std::uint32_t> survivorsOfGroup(const std::vector<SortSlot>& order, std::size_t begin,
                                                std::size_t end) const
    {
        std::vector<std::uint32_t> survivors;
        std::string survivorText;
        std::string candidateText;
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t line = order[i].line;
            const bool duplicate = std::any_of(survivors.begin(), survivors.end(), [&](std::uint32_t kept) {
                return platform::equalIgnoringCase(textOf(kept, survivorText), textOf(line, candidateText));
            });
            if (!duplicate)
                survivors.push_back(line);
        }
        if (survivors.size() > 1)
            std::sort(survivors.begin(), survivors.end(), [&](std::uint32_t a, std::uint32_t b) {
                return textOf(a, survivorText) < textOf(b, candidateText);
            });
        return survivors;
    }

    std::string_view hostOf(const ResultLine& line) const
    {
        const std::string_view buffer = line.inSideBuffer ? std::string_view(sideBuffer_) : source_;
        return buffer.substr(line.offset, line.length);
    }

    void appendText(std::string& out, std::uint32_t index) const
    {
        const ResultLine& line = lines_[index];
        if (line.isEntry)
            out.append(entryPrefix_);
        out.append(hostOf(line));
    }

    // The line's text: a view of the source when it is a kept line, built in `scratch` for an entry.
    std::string_view textOf(std::uint32_t index, std::string& scratch) const
    {
        const ResultLine& line = lines_[index];
        if (!line.isEntry)
            return hostOf(line);
        scratch.assign(entryPrefix_).append(hostOf(line));
        return scratch;
    }

    static std::uint64_t chunkAt(const SortSlot& slot, std::size_t depth)
    {
        std::uint64_t chunk = 0;
        for (std::size_t i = depth; i < depth + 8 && i < slot.keyLength; ++i)
            chunk |= static_cast<std::uint64_t>(static_cast<unsigned char>(slot.key[i])) << (56 - 8 * (i - depth));
        return chunk;
    }

    // How many key bytes from `depth` on all slots of the range share.
    static std::size_t sharedBytes(const std::vector<SortSlot>& slots, std::size_t begin, std::size_t end,
                                   std::size_t depth)
    {
        const SortSlot& first = slots[begin];
        std::size_t shared = first.keyLength > depth ? first.keyLength - depth : 0;
        for (std::size_t i = begin + 1; i < end && shared > 0; ++i) {
            const SortSlot& other = slots[i];
            const std::size_t limit = std::min<std::size_t>(shared, other.keyLength > depth ? other.keyLength - depth : 0);
            std::size_t same = 0;
            while (same < limit && first.key[depth + same] == other.key[depth + same])
                ++same;
            shared = same;
        }
        return shared;
    }

    void sortByAddition(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end) const
    {
        std::sort(slots.begin() + static_cast<std::ptrdiff_t>(begin), slots.begin() + static_cast<std::ptrdiff_t>(end),
                  [this](const SortSlot& a, const SortSlot& b) { return lines_[a.line].addedAs < lines_[b.line].addedAs; });
        for (std::size_t i = begin + 1; i < end; ++i)
            slots[i].sameKeyAsPrevious = true;
    }

    // Sorts slots [begin, end), whose keys agree on their first `depth` bytes,
    // by the key bytes from there on, eight at a time (skipping bytes the
    // whole range shares), and equal keys by the order their lines were added.
    void sortByKey(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end, std::size_t depth) const
    {
        depth += sharedBytes(slots, begin, end, depth);
        for (std::size_t i = begin; i < end; ++i)
            slots[i].keyChunk = chunkAt(slots[i], depth);
        std::sort(slots.begin() + static_cast<std::ptrdiff_t>(begin), slots.begin() + static_cast<std::ptrdiff_t>(end),
                  [](const SortSlot& a, const SortSlot& b) { return a.keyChunk < b.keyChunk; });
        for (std::size_t run = begin; run < end;) {
            std::size_t runEnd = run + 1;
            bool longer = slots[run].keyLength > depth + 8;
            for (; runEnd < end && slots[runEnd].keyChunk == slots[run].keyChunk; ++runEnd)
                longer = longer || slots[runEnd].keyLength > depth + 8;
            if (runEnd - run > 1) {
                if (longer)
                    sortByKey(slots, run, runEnd, depth + 8);
                else
                    sortByAddition(slots, run, runEnd);
            }
            run = runEnd;
        }
    }

    std::vector<SortSlot> sortedSlots() const
    {
        std::vector<SortSlot> slots;
        slots.reserve(lines_.size());
        for (std::uint32_t line = 0; line < lines_.size(); ++line) {
            const SortKeyTable::Key key = keys_->key(line);
            slots.push_back({0, key.bytes, key.length, line, 0});
        }
        if (!slots.empty())
            sortByKey(slots, 0, slots.size(), 0);
        return slots;
    }

    std::string_view source_;
    std::string entryPrefix_;
    std::optional<SortKeyTable> keys_;
    std::string sideBuffer_;
    std::vector<ResultLine> lines_;
};

} // namespace

std::string sortHostsText(std::string_view markedText, std::string_view redirectAddress, const Progress& progress)
{
    // A byte-order mark belongs in front of the file, not to its first line.
    const std::string_view text = withoutByteOrderMark(markedText);
    const std::string_view address = sortAddressFor(redirectAddress);
    const auto count = static_cast<std::uint32_t>(countLines(text));
    progress.start(sortingCaption, count);

    // Entries count as added bottom-up, before any kept line; kept lines top-down after them.
    ResultBuilder result(text, address, count);
    std::string scratch;
    std::uint32_t index = 0;
    forEachLine(text, [&](std::string_view line) {
        bool keep = false;
        std::string_view host;
        if (classifyLine(line, scratch, host, keep))
            result.addEntry(line, host, count - index);
        else if (keep)
            result.addKept(line, count + index);
        progress.step(index++);
    });
    std::string sorted = result.write(address);
    if (text.size() != markedText.size())
        sorted.insert(0, utf8ByteOrderMark);
    return sorted;
}

} // namespace vendrel

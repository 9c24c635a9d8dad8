#include "core/history/line_edit.h"

#include "core/text/byte_words.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace vendrel {
namespace {

unsigned lineFeedsIn(std::uint64_t word) { return byte_words::count(byte_words::bytesEqual(word, '\n')); }

// Where the `count`th LF from `from` (1 the first) ends its line, words at a
// time; nothing when the text has fewer.
std::optional<std::size_t> afterLineFeeds(std::string_view text, std::size_t from, std::size_t count)
{
    std::size_t at = from;
    while (count > 0 && at + 8 <= text.size()) {
        const unsigned found = lineFeedsIn(byte_words::load(text.data() + at));
        if (found >= count)
            break;
        count -= found;
        at += 8;
    }
    for (; count > 0 && at < text.size(); ++at)
        if (text[at] == '\n' && --count == 0)
            return at + 1;
    if (count == 0)
        return at;
    return std::nullopt;
}

std::size_t lineFeedCount(std::string_view text)
{
    std::size_t count = 0;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8)
        count += lineFeedsIn(byte_words::load(text.data() + at));
    return count +
           static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), '\n'));
}

// How many bytes the two texts begin with alike, of their first `limit`,
// compared a block at a time.
std::size_t commonPrefix(std::string_view a, std::string_view b, std::size_t limit)
{
    constexpr std::size_t block = 4096;
    std::size_t at = 0;
    while (at + block <= limit && std::memcmp(a.data() + at, b.data() + at, block) == 0)
        at += block;
    while (at < limit && a[at] == b[at])
        ++at;
    return at;
}

// How many bytes the two texts end with alike, at most `limit`.
std::size_t commonSuffix(std::string_view a, std::string_view b, std::size_t limit)
{
    constexpr std::size_t block = 4096;
    std::size_t length = 0;
    while (length + block <= limit &&
           std::memcmp(a.data() + a.size() - length - block, b.data() + b.size() - length - block, block) == 0)
        length += block;
    while (length < limit && a[a.size() - length - 1] == b[b.size() - length - 1])
        ++length;
    return length;
}

bool inOrder(const LineEdit& edit)
{
    std::size_t next = 0;
    for (const LineSplice& splice : edit.splices) {
        if (splice.first < next)
            return false;
        next = splice.first + splice.removed;
    }
    return true;
}

template <typename Number>
bool takeNumber(std::string_view& record, char end, Number& value)
{
    const auto [stop, error] = std::from_chars(record.data(), record.data() + record.size(), value);
    if (error != std::errc() || stop == record.data() + record.size() || *stop != end)
        return false;
    record.remove_prefix(static_cast<std::size_t>(stop - record.data()) + 1);
    return true;
}

} // namespace

std::size_t LineEdit::newBytes() const
{
    std::size_t total = 0;
    for (const LineSplice& splice : splices)
        total += splice.lines.size();
    return total;
}

std::optional<std::size_t> lineStart(std::string_view text, std::size_t line)
{
    if (line == 0)
        return 0;
    if (const auto start = afterLineFeeds(text, 0, line))
        return start;
    // The line after an unbroken last line starts at the end.
    const bool unbrokenLast = !text.empty() && text.back() != '\n';
    if (unbrokenLast && afterLineFeeds(text, 0, line - 1))
        return text.size();
    return std::nullopt;
}

std::size_t linesIn(std::string_view lines)
{
    return lineFeedCount(lines) + (!lines.empty() && lines.back() != '\n' ? 1 : 0);
}

std::optional<std::string> applyLineEdit(std::string text, const LineEdit& edit)
{
    if (!inOrder(edit))
        return std::nullopt;
    // Byte ranges first, found in one walk forward; then replaced from the
    // last, so that the ranges before it stay where they were found.
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    const std::string_view view(text);
    std::size_t line = 0;
    std::size_t at = 0;
    for (const LineSplice& splice : edit.splices) {
        const auto skipped = lineStart(view.substr(at), splice.first - line);
        if (!skipped)
            return std::nullopt;
        const std::size_t from = at + *skipped;
        const auto length = lineStart(view.substr(from), splice.removed);
        if (!length)
            return std::nullopt;
        ranges.emplace_back(from, *length);
        line = splice.first + splice.removed;
        at = from + *length;
    }
    // A text that grows past its room gets a little more, not twice its size.
    std::size_t size = text.size();
    for (std::size_t i = 0; i < ranges.size(); ++i)
        size = size - ranges[i].second + edit.splices[i].lines.size();
    if (size > text.capacity())
        text.reserve(size + 64 * 1024);
    for (std::size_t i = edit.splices.size(); i-- > 0;)
        text.replace(ranges[i].first, ranges[i].second, edit.splices[i].lines);
    return text;
}

LineEdit inverseLineEdit(std::string_view before, const LineEdit& edit)
{
    LineEdit inverse;
    std::size_t line = 0;
    std::size_t at = 0;
    std::ptrdiff_t shift = 0; // lines the splices before this one added
    for (const LineSplice& splice : edit.splices) {
        const std::size_t from = at + lineStart(before.substr(at), splice.first - line).value_or(before.size() - at);
        const std::size_t to = from + lineStart(before.substr(from), splice.removed).value_or(before.size() - from);
        const std::size_t added = linesIn(splice.lines);
        inverse.splices.push_back({static_cast<std::size_t>(static_cast<std::ptrdiff_t>(splice.first) + shift), added,
                                   std::string(before.substr(from, to - from))});
        shift += static_cast<std::ptrdiff_t>(added) - static_cast<std::ptrdiff_t>(splice.removed);
        line = splice.first + splice.removed;
        at = to;
    }
    return inverse;
}

std::optional<LineEdit> spanningLineEdit(std::string_view before, std::string_view after)
{
    const std::size_t shorter = std::min(before.size(), after.size());
    const std::size_t prefix = commonPrefix(before, after, shorter);
    if (prefix == before.size() && prefix == after.size())
        return std::nullopt;
    // The splice starts where the line of the first difference starts, and
    // ends where a line of the common end starts (the same in both texts).
    const std::size_t lineBefore = before.substr(0, prefix).rfind('\n');
    const std::size_t start = lineBefore == std::string_view::npos ? 0 : lineBefore + 1;
    std::size_t suffix = commonSuffix(before, after, shorter - start);
    const auto startsLine = [](std::string_view text, std::size_t at) { return at == 0 || text[at - 1] == '\n'; };
    while (suffix > 0 && !(startsLine(before, before.size() - suffix) && startsLine(after, after.size() - suffix)))
        --suffix;
    const std::string_view removedLines = before.substr(start, before.size() - suffix - start);
    LineEdit edit;
    edit.splices.push_back({lineFeedCount(before.substr(0, start)), linesIn(removedLines),
                            std::string(after.substr(start, after.size() - suffix - start))});
    return edit;
}

std::string encodeLineEdit(const LineEdit& edit)
{
    std::string record;
    record.reserve(edit.newBytes() + 32 * edit.splices.size());
    for (const LineSplice& splice : edit.splices)
        record.append(std::to_string(splice.first))
            .append(" ")
            .append(std::to_string(splice.removed))
            .append(" ")
            .append(std::to_string(splice.lines.size()))
            .append("\n")
            .append(splice.lines);
    return record;
}

std::optional<LineEdit> decodeLineEdit(std::string_view record)
{
    LineEdit edit;
    while (!record.empty()) {
        LineSplice splice;
        std::size_t size = 0;
        if (!takeNumber(record, ' ', splice.first) || !takeNumber(record, ' ', splice.removed) ||
            !takeNumber(record, '\n', size) || size > record.size())
            return std::nullopt;
        splice.lines.assign(record.substr(0, size));
        record.remove_prefix(size);
        edit.splices.push_back(std::move(splice));
    }
    if (!inOrder(edit))
        return std::nullopt;
    return edit;
}

} // namespace vendrel

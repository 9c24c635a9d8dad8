#include "core/history/line_edit.h"

#include "core/text/byte_words.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

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

std::size_t lineFeedCount(std::string_view text) { return static_cast<std::size_t>(std::ranges::count(text, '\n')); }

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

std::optional<LineEdit> provenLineEdit(std::string_view before, std::string_view after, std::size_t first,
                                       std::size_t removed, std::size_t inserted)
{
    const auto beforeStart = lineStart(before, first);
    const auto afterStart = lineStart(after, first);
    if (!beforeStart || !afterStart || *beforeStart != *afterStart ||
        before.substr(0, *beforeStart) != after.substr(0, *afterStart))
        return std::nullopt;
    const auto beforeLength = lineStart(before.substr(*beforeStart), removed);
    const auto afterLength = lineStart(after.substr(*afterStart), inserted);
    if (!beforeLength || !afterLength ||
        before.substr(*beforeStart + *beforeLength) != after.substr(*afterStart + *afterLength))
        return std::nullopt;
    LineEdit edit;
    edit.splices.push_back({first, removed, std::string(after.substr(*afterStart, *afterLength))});
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

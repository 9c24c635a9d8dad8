#include "core/preview/unified_diff.h"

#include "core/preview/line_diff.h"
#include "core/preview/text_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vendrel {
namespace {

// A line of a text: where it starts, its length without the break, and the
// break's length (0 only for a last line without one).
struct Line {
    std::uint32_t offset;
    std::uint32_t length;
    std::uint8_t breakLength;
};

class Lines {
public:
    explicit Lines(std::string_view text) : text_(text)
    {
        lines_.reserve(countTextLines(text));
        for (std::size_t start = 0; start < text.size();) {
            const TextLine line = lineAt(text, start);
            lines_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(line.content.size()),
                              static_cast<std::uint8_t>(line.ending.size())});
            start = line.next;
        }
    }

    std::size_t size() const { return lines_.size(); }
    std::string_view content(std::size_t i) const { return text_.substr(lines_[i].offset, lines_[i].length); }
    bool hasBreak(std::size_t i) const { return lines_[i].breakLength > 0; }
    std::string_view lineBreak(std::size_t i) const
    {
        return text_.substr(lines_[i].offset + lines_[i].length, lines_[i].breakLength);
    }

private:
    std::string_view text_;
    std::vector<Line> lines_;
};

bool sameLine(const Lines& a, std::size_t i, const Lines& b, std::size_t j)
{
    return a.hasBreak(i) == b.hasBreak(j) && a.content(i) == b.content(j);
}

// The blocks of changed lines, in order, with the common first and last lines set aside.
std::vector<DiffBlock> changedBlocks(const Lines& a, const Lines& b)
{
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && sameLine(a, prefix, b, prefix))
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           sameLine(a, a.size() - 1 - suffix, b, b.size() - 1 - suffix))
        ++suffix;
    const std::size_t oldCount = a.size() - prefix - suffix;
    const std::size_t newCount = b.size() - prefix - suffix;
    if (oldCount == 0 && newCount == 0)
        return {};
    std::vector<DiffBlock> blocks{{0, oldCount, 0, newCount}};
    if (oldCount > 0 && newCount > 0)
        if (auto shortest = shortestLineDiff(oldCount, newCount, [&](std::size_t i, std::size_t j) {
                return sameLine(a, prefix + i, b, prefix + j);
            }))
            blocks = std::move(*shortest);
    for (DiffBlock& block : blocks) {
        block.oldBegin += prefix;
        block.oldEnd += prefix;
        block.newBegin += prefix;
        block.newEnd += prefix;
    }
    return blocks;
}

// "start,count" of a hunk's range, "start" alone for one line; an empty
// range starts at the line before it.
std::string range(std::size_t begin, std::size_t end)
{
    if (end == begin)
        return std::to_string(begin) + ",0";
    if (end == begin + 1)
        return std::to_string(begin + 1);
    return std::to_string(begin + 1) + "," + std::to_string(end - begin);
}

void appendLine(std::string& out, char mark, const Lines& lines, std::size_t i)
{
    out += mark;
    out += lines.content(i);
    if (!lines.hasBreak(i))
        out += "\n\\ No newline at end of file\n";
    else if (lines.lineBreak(i) == "\r")
        out += '\n';
    else
        out += lines.lineBreak(i);
}

class HunkWriter {
public:
    HunkWriter(const Lines& a, const Lines& b, std::size_t context, std::string& out)
        : a_(a), b_(b), context_(context), out_(out)
    {
    }

    // Writes the hunk of blocks [first, last].
    void write(const std::vector<DiffBlock>& blocks, std::size_t first, std::size_t last)
    {
        const std::size_t before = std::min(context_, blocks[first].oldBegin);
        const std::size_t after = std::min(context_, a_.size() - blocks[last].oldEnd);
        const std::size_t oldBegin = blocks[first].oldBegin - before;
        const std::size_t newBegin = blocks[first].newBegin - before;
        out_ += "@@ -" + range(oldBegin, blocks[last].oldEnd + after) + " +" +
                range(newBegin, blocks[last].newEnd + after) + " @@\n";
        std::size_t at = oldBegin;
        for (std::size_t i = first; i <= last; ++i) {
            const DiffBlock& block = blocks[i];
            for (; at < block.oldBegin; ++at)
                appendLine(out_, ' ', a_, at);
            for (std::size_t line = block.oldBegin; line < block.oldEnd; ++line)
                appendLine(out_, '-', a_, line);
            for (std::size_t line = block.newBegin; line < block.newEnd; ++line)
                appendLine(out_, '+', b_, line);
            at = block.oldEnd;
        }
        for (; at < blocks[last].oldEnd + after; ++at)
            appendLine(out_, ' ', a_, at);
    }

private:
    const Lines& a_;
    const Lines& b_;
    std::size_t context_;
    std::string& out_;
};

} // namespace

std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view oldName,
                        std::string_view newName, std::size_t context)
{
    const Lines a(before);
    const Lines b(after);
    const std::vector<DiffBlock> blocks = changedBlocks(a, b);
    if (blocks.empty())
        return {};
    std::string out;
    out.append("--- ").append(oldName).append("\n+++ ").append(newName).append("\n");
    HunkWriter hunks(a, b, context, out);
    for (std::size_t first = 0; first < blocks.size();) {
        std::size_t last = first;
        while (last + 1 < blocks.size() && blocks[last + 1].oldBegin - blocks[last].oldEnd <= 2 * context)
            ++last;
        hunks.write(blocks, first, last);
        first = last + 1;
    }
    return out;
}

} // namespace vendrel

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The lines a sort keeps, in the order of the source text. Each one's body is
// copied into one buffer: the host part of a blocking entry, whose text is
// then the entry prefix (the sort address and a TAB) followed by the body, or
// a kept line whole. Four bytes per line besides the body, so that the source
// text can be let go before sorting.
class SortLines {
public:
    // `expectedBytes` reserves room: pages never written cost nothing.
    SortLines(std::string entryPrefix, std::size_t expectedLines, std::size_t expectedBytes);

    void add(std::string_view body, bool entry);

    std::size_t size() const { return ends_.size(); }
    bool isEntry(std::size_t line) const { return (ends_[line] & entryBit) != 0; }
    std::string_view prefix(std::size_t line) const
    {
        return isEntry(line) ? std::string_view(entryPrefix_) : std::string_view();
    }
    std::string_view body(std::size_t line) const
    {
        const std::uint32_t start = line == 0 ? 0 : ends_[line - 1] & ~entryBit;
        return std::string_view(bodies_).substr(start, (ends_[line] & ~entryBit) - start);
    }
    // Asks for the memory of the body's bytes from `depth` on to be fetched ahead of their use.
    void prefetchBody(std::size_t line, std::size_t depth) const
    {
        const std::uint32_t start = line == 0 ? 0 : ends_[line - 1] & ~entryBit;
        __builtin_prefetch(bodies_.data() + std::min(start + depth, bodies_.size()));
    }
    std::size_t textLength(std::size_t line) const { return prefix(line).size() + body(line).size(); }
    // The line's text: a view of its body for a kept line, built in `scratch` for an entry.
    std::string_view text(std::size_t line, std::string& scratch) const;
    void appendText(std::string& out, std::size_t line) const { out.append(prefix(line)).append(body(line)); }
    // The bodies of all lines, one after the other.
    std::string_view bodies() const { return bodies_; }
    // Bytes of every text with a CR LF after it.
    std::size_t textBytesWithBreaks() const;

    // Among lines of equal keys the first added stays: entries count as added
    // bottom-up, before any kept line, kept lines top-down after them.
    bool addedBefore(std::size_t first, std::size_t second) const { return additionRank(first) < additionRank(second); }

private:
    static constexpr std::uint32_t entryBit = std::uint32_t{1} << 31;

    std::uint64_t additionRank(std::size_t line) const { return isEntry(line) ? size() - line : size() + line; }

    std::string entryPrefix_;
    std::string bodies_;
    std::vector<std::uint32_t> ends_; // end of each body in bodies_, with entryBit for an entry
    std::size_t entries_ = 0;
};

} // namespace vendrel

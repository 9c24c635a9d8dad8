#include "core/preview/change_examples.h"

#include "core/preview/line_key.h"
#include "core/preview/text_lines.h"

#include <algorithm>
#include <bit>

namespace vendrel {
namespace {

// The low byte of a group's word tells what became of its lines.
constexpr std::uint64_t flagBits = 0xFF;
constexpr unsigned rewrittenFlag(unsigned bit) { return 1u << bit; }
constexpr unsigned droppedFlag(unsigned bit) { return 4u << bit; }
constexpr unsigned addedFlag(unsigned bit) { return 16u << bit; }
constexpr unsigned duplicatesFlag = 64;

constexpr unsigned bitOf(ExampleKind kind) { return 1u << static_cast<unsigned>(kind); }

constexpr unsigned kindsAfter = bitOf(ExampleKind::Added) | bitOf(ExampleKind::CommentAdded) |
                                bitOf(ExampleKind::OtherAdded);
constexpr unsigned kindsBefore = ((1u << exampleKindCount) - 1) & ~kindsAfter;

unsigned flagsOf(const GroupOutcome& outcome)
{
    unsigned flags = outcome.droppedWereDuplicates ? duplicatesFlag : 0;
    for (unsigned bit = 0; bit < 2; ++bit) {
        flags |= outcome.rewritten[bit] ? rewrittenFlag(bit) : 0;
        flags |= outcome.dropped[bit] ? droppedFlag(bit) : 0;
        flags |= outcome.added[bit] ? addedFlag(bit) : 0;
    }
    return flags;
}

std::uint64_t wordOf(const KeyGroup& group, const GroupOutcome& outcome)
{
    return ((group.group << 1) & ~flagBits) | flagsOf(outcome);
}

bool isEntry(LineKind kind) { return kind == LineKind::BlockingEntry || kind == LineKind::OtherEntry; }

// The kinds of example a line of `kind` under address `bit` can be, on one side.
unsigned kindsOfLine(LineKind kind, unsigned flags, bool after, unsigned bit)
{
    if (kind == LineKind::Blank)
        return 0;
    if (after) {
        if (!(flags & addedFlag(bit)))
            return 0;
        return bitOf(isEntry(kind)               ? ExampleKind::Added
                     : kind == LineKind::Comment ? ExampleKind::CommentAdded
                                                 : ExampleKind::OtherAdded);
    }
    unsigned kinds = flags & rewrittenFlag(bit) ? bitOf(ExampleKind::Rewritten) : 0;
    if (flags & droppedFlag(bit)) {
        if (isEntry(kind))
            kinds |= bitOf(flags & duplicatesFlag ? ExampleKind::Duplicate : ExampleKind::Removed);
        else
            kinds |= bitOf(kind == LineKind::Comment ? ExampleKind::CommentDropped : ExampleKind::OtherDropped);
    }
    return kinds;
}

unsigned kindsOfWord(std::uint64_t word)
{
    const LineKind kind = kindOfKey(word);
    const auto flags = static_cast<unsigned>(word & flagBits);
    unsigned kinds = 0;
    for (const bool after : {false, true})
        for (unsigned bit = 0; bit < 2; ++bit)
            kinds |= kindsOfLine(kind, flags, after, bit);
    return kinds;
}

} // namespace

void ChangeExamples::count(const KeyGroup& group, const GroupOutcome& outcome)
{
    const unsigned kinds = kindsOfWord(wordOf(group, outcome));
    collectable_ += kinds != 0;
    for (unsigned kind = 0; kind < exampleKindCount; ++kind)
        if (kinds & (1u << kind))
            found_[kind].wanted = std::min(perKind_, found_[kind].wanted + 1);
}

unsigned ChangeExamples::neededKinds() const
{
    unsigned kinds = 0;
    for (unsigned kind = 0; kind < exampleKindCount; ++kind)
        if (found_[kind].lines.size() < found_[kind].wanted)
            kinds |= 1u << kind;
    return kinds;
}

bool ChangeExamples::wanted() const { return neededKinds() != 0; }

void ChangeExamples::collect(const KeyGroup& group, const GroupOutcome& outcome)
{
    const std::uint64_t word = wordOf(group, outcome);
    if (kindsOfWord(word) != 0)
        words_.push_back(word);
}

void ChangeExamples::find(std::string_view before, std::string_view after)
{
    buildIndex();
    findIn(before, false);
    findIn(after, true);
    words_ = {};
    index_ = {};
}

void ChangeExamples::findIn(std::string_view text, bool after)
{
    const unsigned side = after ? kindsAfter : kindsBefore;
    std::string scratch;
    unsigned needed = neededKinds() & side;
    for (std::size_t start = 0; start < text.size() && needed;) {
        const TextLine line = lineAt(text, start);
        start = line.next;
        const std::uint64_t key = lineKey(line.content, scratch);
        if (kindOfKey(key) == LineKind::Blank)
            continue;
        const std::uint64_t* word = lookup(key);
        if (!word)
            continue;
        const unsigned kinds = kindsOfLine(kindOfKey(key), static_cast<unsigned>(*word & flagBits), after,
                                           addressBitOfKey(key));
        if (kinds & needed) {
            offer(*word, kinds & needed, line.content);
            if ((neededKinds() & side) != needed) {
                needed = neededKinds() & side;
                dropUnneededWords();
            }
        }
    }
}

void ChangeExamples::offer(std::uint64_t word, unsigned kinds, std::string_view line)
{
    for (unsigned kind = 0; kind < exampleKindCount; ++kind) {
        Found& found = found_[kind];
        if (!(kinds & (1u << kind)) || std::find(found.groups.begin(), found.groups.end(), word) != found.groups.end())
            continue;
        found.groups.push_back(word);
        found.lines.emplace_back(line);
    }
}

// Once a kind has its examples, the groups that could only give that kind are
// no longer looked for, so that the lookups stay in a small table.
void ChangeExamples::dropUnneededWords()
{
    const unsigned needed = neededKinds();
    std::erase_if(words_, [needed](std::uint64_t word) { return (kindsOfWord(word) & needed) == 0; });
    buildIndex();
}

// Buckets by the top bits of the words (the kind and the hash's first bits),
// about eight to sixteen words to a bucket.
void ChangeExamples::buildIndex()
{
    const auto bits = static_cast<unsigned>(3 + std::max(4, static_cast<int>(std::bit_width(words_.size()))) - 4);
    indexShift_ = 64 - bits;
    index_.assign((std::size_t{1} << bits) + 1, 0);
    for (const std::uint64_t word : words_)
        ++index_[(word >> indexShift_) + 1];
    for (std::size_t bucket = 1; bucket < index_.size(); ++bucket)
        index_[bucket] += index_[bucket - 1];
}

const std::uint64_t* ChangeExamples::lookup(std::uint64_t key) const
{
    const std::uint64_t probe = key & ~flagBits;
    const std::size_t bucket = probe >> indexShift_;
    const auto first = words_.begin() + index_[bucket];
    const auto last = words_.begin() + index_[bucket + 1];
    const auto below = [](std::uint64_t word, std::uint64_t wanted) { return (word & ~flagBits) < wanted; };
    const auto at = std::lower_bound(first, last, probe, below);
    return at != last && (*at & ~flagBits) == probe ? &*at : nullptr;
}

} // namespace vendrel

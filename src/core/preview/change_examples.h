#pragma once

#include "core/preview/change_groups.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

enum class ExampleKind : unsigned {
    Added,
    Duplicate,
    Removed,
    CommentDropped,
    Rewritten,
    CommentAdded,
    OtherDropped,
    OtherAdded,
};
inline constexpr std::size_t exampleKindCount = 8;

// Finds the first lines of each kind of change, one per key group, in two
// passes: count() and then collect() see every key group with its outcome,
// then find() reads the texts until each kind has its examples. Between
// collect() and find() it holds one word per group that can give an example.
class ChangeExamples {
public:
    explicit ChangeExamples(std::size_t perKind) : perKind_(perKind) {}

    void count(const KeyGroup& group, const GroupOutcome& outcome);
    // Whether find() has anything to look for.
    bool wanted() const;
    void reserve() { words_.reserve(collectable_); }
    void collect(const KeyGroup& group, const GroupOutcome& outcome);
    void find(std::string_view before, std::string_view after);

    std::vector<std::string>& of(ExampleKind kind) { return found_[static_cast<unsigned>(kind)].lines; }

private:
    struct Found {
        std::vector<std::string> lines;
        std::vector<std::uint64_t> groups; // the groups' words, for one example per group
        std::size_t wanted = 0;            // min(perKind, groups of the kind)
    };

    unsigned neededKinds() const;
    void findIn(std::string_view text, bool after);
    void offer(std::uint64_t word, unsigned kinds, std::string_view line);
    void dropUnneededWords();
    void buildIndex();
    const std::uint64_t* lookup(std::uint64_t key) const;

    std::size_t perKind_;
    std::array<Found, exampleKindCount> found_{};
    std::size_t collectable_ = 0;
    std::vector<std::uint64_t> words_; // sorted: a group's key bits, then its outcome flags
    std::vector<std::uint32_t> index_; // where each bucket of words_ starts
    unsigned indexShift_ = 64;
};

} // namespace vendrel

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// A set of the names of a list, for the lookups of one pass over a hosts
// file: one flat table of positions into the list (open addressing, linear
// probing), so that building it allocates once rather than once a name.
// The list must outlive the set.
class NameSet {
public:
    explicit NameSet(const std::vector<std::string>& names);

    bool contains(std::string_view name) const;
    bool empty() const { return names_.empty(); }

private:
    static constexpr std::uint32_t emptySlot = 0xFFFFFFFF;

    // A name's position in the list and some bits of its hash, which most
    // slots of other names fail without a look at the name.
    struct Slot {
        std::uint32_t index;
        std::uint32_t tag;
    };

    const std::vector<std::string>& names_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

} // namespace vendrel

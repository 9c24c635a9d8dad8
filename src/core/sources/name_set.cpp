#include "core/sources/name_set.h"

#include <bit>
#include <functional>
#include <stdexcept>

namespace vendrel {

NameSet::NameSet(const std::vector<std::string>& names) : names_(names)
{
    if (names.empty())
        return;
    if (names.size() >= emptySlot / 2)
        throw std::length_error("too many names for one set");
    // At most half full, so that a probe ends soon.
    const std::size_t size = std::bit_ceil(names.size() * 2);
    mask_ = size - 1;
    slots_.assign(size, {emptySlot, 0});
    for (std::uint32_t index = 0; index < names.size(); ++index) {
        const std::size_t hash = std::hash<std::string_view>()(names[index]);
        std::size_t slot = hash & mask_;
        while (slots_[slot].index != emptySlot)
            slot = (slot + 1) & mask_;
        slots_[slot] = {index, static_cast<std::uint32_t>(hash >> 32)};
    }
}

bool NameSet::contains(std::string_view name) const
{
    if (names_.empty())
        return false;
    const std::size_t hash = std::hash<std::string_view>()(name);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
        const Slot& entry = slots_[slot];
        if (entry.index == emptySlot)
            return false;
        if (entry.tag == tag && names_[entry.index] == name)
            return true;
    }
}

} // namespace vendrel

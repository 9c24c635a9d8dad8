#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vendrel::unzip {

// The three directory fields the zip64 extended-information extra field can
// stand in for, as read from the 32-bit fields of a directory entry.
struct WideFields {
    std::uint64_t uncompressedSize = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
};

// Replaces each field that holds 0xFFFFFFFF by its 64-bit value from the
// zip64 extra field (id 0x0001) of `extraFields`, which lists them in this
// order, only those that are replaced. Nothing when a field needs a value
// the extra field does not hold.
std::optional<WideFields> widenFromZip64Extra(WideFields fields, std::string_view extraFields);

} // namespace vendrel::unzip

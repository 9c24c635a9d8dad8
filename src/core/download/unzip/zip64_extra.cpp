#include "core/download/unzip/zip64_extra.h"

#include "core/download/unzip/little_endian.h"

#include <array>

namespace vendrel::unzip {
namespace {

constexpr std::uint16_t zip64ExtraId = 0x0001;
constexpr std::uint64_t saysSeeZip64 = 0xFFFFFFFF;

// The data of the zip64 extra field. A field whose length runs past the end
// ends the walk: what follows cannot be told apart from padding.
std::string_view zip64ExtraData(std::string_view extraFields)
{
    std::uint64_t at = 0;
    while (fitsInside(extraFields.size(), at, 4)) {
        const std::uint16_t id = read16(extraFields, at);
        const std::uint16_t length = read16(extraFields, at + 2);
        if (!fitsInside(extraFields.size(), at + 4, length))
            break;
        if (id == zip64ExtraId)
            return extraFields.substr(static_cast<std::size_t>(at + 4), length);
        at += 4 + length;
    }
    return {};
}

} // namespace

std::optional<WideFields> widenFromZip64Extra(WideFields fields, std::string_view extraFields)
{
    const std::array<std::uint64_t*, 3> inOrder = {&fields.uncompressedSize, &fields.compressedSize,
                                                   &fields.localHeaderOffset};
    const std::string_view data = zip64ExtraData(extraFields);
    std::uint64_t at = 0;
    for (std::uint64_t* field : inOrder) {
        if (*field != saysSeeZip64)
            continue;
        if (!fitsInside(data.size(), at, 8))
            return std::nullopt;
        *field = read64(data, at);
        at += 8;
    }
    return fields;
}

} // namespace vendrel::unzip

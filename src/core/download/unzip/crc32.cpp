#include "core/download/unzip/crc32.h"

#include <array>
#include <cstddef>

namespace vendrel::unzip {
namespace {

constexpr std::uint32_t polynomial = 0xEDB88320;
constexpr std::size_t slices = 8;

using Tables = std::array<std::array<std::uint32_t, 256>, slices>;

// Table k gives the CRC of a byte followed by k zero bytes, so that eight
// bytes are folded in at once ("slicing by 8").
constexpr Tables makeTables()
{
    Tables tables{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (crc & 1 ? polynomial : 0);
        tables[0][byte] = crc;
    }
    for (std::size_t k = 1; k < slices; ++k)
        for (std::size_t byte = 0; byte < 256; ++byte)
            tables[k][byte] = (tables[k - 1][byte] >> 8) ^ tables[0][tables[k - 1][byte] & 0xFF];
    return tables;
}

constexpr Tables tables = makeTables();

std::uint32_t byteAt(std::string_view bytes, std::size_t i)
{
    return static_cast<unsigned char>(bytes[i]);
}

} // namespace

std::uint32_t crc32(std::string_view bytes)
{
    std::uint32_t crc = 0xFFFFFFFF;
    std::size_t i = 0;
    for (; i + slices <= bytes.size(); i += slices) {
        const std::uint32_t low = crc ^ (byteAt(bytes, i) | byteAt(bytes, i + 1) << 8 | byteAt(bytes, i + 2) << 16 |
                                         byteAt(bytes, i + 3) << 24);
        crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
              tables[4][low >> 24] ^ tables[3][byteAt(bytes, i + 4)] ^ tables[2][byteAt(bytes, i + 5)] ^
              tables[1][byteAt(bytes, i + 6)] ^ tables[0][byteAt(bytes, i + 7)];
    }
    for (; i < bytes.size(); ++i)
        crc = (crc >> 8) ^ tables[0][(crc ^ byteAt(bytes, i)) & 0xFF];
    return crc ^ 0xFFFFFFFF;
}

} // namespace vendrel::unzip

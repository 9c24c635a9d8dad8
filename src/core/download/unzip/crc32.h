#pragma once

#include <cstdint>
#include <string_view>

namespace vendrel::unzip {

// The CRC-32 of ZIP (and gzip, PNG): reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF. crc32("123456789") == 0xCBF43926.
std::uint32_t crc32(std::string_view bytes);

} // namespace vendrel::unzip

#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace vendrel::unzip {

// The moment a DOS date and time (local time, two-second steps, years from
// 1980) stand for, or nothing when a field is out of range (month 0, say).
std::optional<std::time_t> fromDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime);

} // namespace vendrel::unzip

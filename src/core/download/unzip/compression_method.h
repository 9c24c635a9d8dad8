#pragma once

#include <cstdint>
#include <string>

namespace vendrel::unzip {

inline constexpr std::uint16_t storedMethod = 0;
inline constexpr std::uint16_t deflatedMethod = 8;

// A compression method as a message shows it: "12 (bzip2)", or the bare
// number for a method without a known name.
std::string describeMethod(std::uint16_t method);

} // namespace vendrel::unzip

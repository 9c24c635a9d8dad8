#pragma once

#include <cstddef>
#include <string>

namespace vendrel {

// The idle status text of the progress bar: "27 Lines - Idle".
inline std::string lineCountText(std::size_t rows) { return std::to_string(rows) + " Lines - Idle"; }

} // namespace vendrel

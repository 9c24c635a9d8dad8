#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::unzip {

// Inflates a raw deflate stream (no zlib or gzip wrapper) that must unpack to
// exactly `expectedSize` bytes. The output never grows past that size: a
// stream that would yield more is stopped at once. Throws ZipDefect with the
// reason (damaged data, truncated stream, more or less data than declared,
// a compression ratio over the limit).
std::string inflateRaw(std::string_view compressed, std::uint64_t expectedSize);

} // namespace vendrel::unzip

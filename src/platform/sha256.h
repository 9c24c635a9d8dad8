#pragma once

#include <string>
#include <string_view>

namespace platform {

// The SHA-256 digest of `bytes` in 64 lower-case hexadecimal digits: the
// proof that a text handed over or read back is the one meant, where a
// checksum could be forged. Computed by the system's cryptography library.
std::string sha256Hex(std::string_view bytes);

// Whether `text` has the form sha256Hex gives.
bool isSha256Hex(std::string_view text);

// `bytes` in lower-case hexadecimal digits, two a byte.
std::string lowerHex(std::string_view bytes);

} // namespace platform

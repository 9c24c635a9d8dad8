#pragma once

#include <string>
#include <string_view>

namespace platform {

// Lower-cases text by the rules of the user's locale. Bytes that are valid
// UTF-8 are read as UTF-8, anything else as the Western 8-bit code page; the
// result is UTF-8.
std::string lowerCaseForLocale(std::string_view bytes);

} // namespace platform

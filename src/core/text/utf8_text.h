#pragma once

#include <string_view>

namespace vendrel {

// Whether `bytes` is well-formed UTF-8: no stray continuation bytes, no
// overlong forms, no surrogates and nothing past U+10FFFF.
bool isValidUtf8(std::string_view bytes);

} // namespace vendrel

#pragma once

#include <string>
#include <string_view>

namespace vendrel {

// Whether `line` holds `address` as a whole word: not inside a longer
// address ("127.0.0.10") or name, but also in a comment that mentions it.
bool holdsAddressAsWord(std::string_view line, std::string_view address);

// Appends `line` to `out` with every whole-word `from` (as holdsAddressAsWord
// finds it) replaced by `to`.
void appendReplacingAddress(std::string& out, std::string_view line, std::string_view from, std::string_view to);

// Whether the first word of `line` (after leading blanks) is `address`.
bool beginsWithAddress(std::string_view line, std::string_view address);

} // namespace vendrel

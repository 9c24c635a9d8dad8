#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace safeboot {

// Private-profile (INI) text as the boot files use it. A lone CR, a lone LF
// and CR LF each end a line. A section starts at a line whose first non-blank
// character is "["; its name is what stands before "]", blanks around it
// dropped. A key line holds "=" and does not start with ";"; its name is what
// stands before the first "=", its value what follows, blanks around each
// dropped. Section and key names match without regard to ASCII letter case.
// Only the first section of a name counts, and in it the first of duplicate
// keys.

// The value of `key` in `section`, read raw: quotes are kept. Nothing when
// the section or the key is missing.
std::optional<std::string> profileValue(std::string_view text, std::string_view section, std::string_view key);

// The value of `key` in `section` as programs of the system read it: a value
// that begins and ends with a double quote loses that one pair of quotes.
std::optional<std::string> profileString(std::string_view text, std::string_view section, std::string_view key);

// `text` with `key` in `section` set to `value`. An existing value is
// replaced in place and every other byte is kept; one that already reads as
// `value` (see profileString) keeps its quotes. A missing key is added after
// the section's last non-blank line; a missing section is appended at the end
// of the text. Added lines end in the line break the text already uses (that
// of its first line; CR LF when it has none), which is also put after a last
// line that has no line break of its own.
std::string withProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// Whether `section`, `key` and `value` can be written so that they read back
// unchanged: no line breaks, no "]" in the section, no "=" in the key, names
// not empty and without surrounding blanks, a key that does not start with
// "[" or ";", and a value without surrounding blanks that is not enclosed in
// a pair of double quotes.
bool isWritableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

} // namespace safeboot

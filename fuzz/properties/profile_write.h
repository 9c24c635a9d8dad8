#pragma once

#include "properties/violation.h"

#include "safeboot/profile_text.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One key written into private-profile text, as ProfileFile::setValue does
// when the entry is writable: reading the key back as the system's programs
// read it gives the value written, and every other key keeps the bytes of
// its value (or stays missing).
//
// The input is the section, a LF, the key, a LF, the value, a NUL byte and
// the profile text. Keys are compared before and after the write under the
// names that name-like pieces of the text suggest; whether a name is really
// there is left to the profile reader.
namespace fuzz_properties {

struct ProfileWrite {
    std::string_view section;
    std::string_view key;
    std::string_view value;
    std::string_view text;
};

// Cuts `text` at the first `separator`: the part before it is returned, the rest stays.
inline std::string_view takeUntil(std::string_view& text, char separator)
{
    const std::size_t at = std::min(text.find(separator), text.size());
    const std::string_view taken = text.substr(0, at);
    text.remove_prefix(std::min(at + 1, text.size()));
    return taken;
}

inline ProfileWrite splitProfileWriteInput(std::string_view input)
{
    std::string_view header = takeUntil(input, '\0');
    ProfileWrite write;
    write.section = takeUntil(header, '\n');
    write.key = takeUntil(header, '\n');
    write.value = header;
    write.text = input;
    return write;
}

struct ProfileName {
    std::string section;
    std::string key;
};

inline std::string_view withoutBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Each name before a "=" paired with the last bracketed name above it and
// with the section written to.
inline std::vector<ProfileName> namesSuggestedBy(std::string_view text, std::string_view writtenSection)
{
    constexpr std::size_t maximumNames = 64;
    std::vector<ProfileName> names;
    std::string section;
    while (!text.empty() && names.size() < maximumNames) {
        const std::string_view line = withoutBlanks(takeUntil(text, '\n'));
        if (line.starts_with('[')) {
            section = withoutBlanks(line.substr(1, line.find(']') - 1));
            continue;
        }
        if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            const std::string key(withoutBlanks(line.substr(0, equals)));
            names.push_back({section, key});
            names.push_back({std::string(writtenSection), key});
        }
    }
    return names;
}

inline bool sameAsciiName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

inline std::string shownValue(const std::optional<std::string>& value)
{
    return value ? shown(*value) : std::string("(missing)");
}

inline Violation profileWrite(std::string_view input)
{
    const ProfileWrite write = splitProfileWriteInput(input);
    if (!safeboot::isWritableProfileEntry(write.section, write.key, write.value))
        return {};
    const std::string written = safeboot::withProfileValue(write.text, write.section, write.key, write.value);
    const std::string entry = "[" + shown(write.section) + "] " + shown(write.key);

    const std::optional<std::string> readBack = safeboot::profileString(written, write.section, write.key);
    if (readBack != write.value)
        return entry + " reads back as " + shownValue(readBack) + " after writing " + shown(write.value);
    for (const ProfileName& name : namesSuggestedBy(write.text, write.section)) {
        if (sameAsciiName(name.section, write.section) && sameAsciiName(name.key, write.key))
            continue;
        const auto before = safeboot::profileValue(write.text, name.section, name.key);
        const auto after = safeboot::profileValue(written, name.section, name.key);
        if (before != after)
            return "writing " + entry + " changes [" + shown(name.section) + "] " + shown(name.key) + " from " +
                   shownValue(before) + " to " + shownValue(after);
    }
    return {};
}

} // namespace fuzz_properties

#include "safeboot/profile_text.h"

#include "platform/text_bytes.h"

#include <algorithm>
#include <cstddef>

namespace safeboot {
namespace {

constexpr std::string_view breakCharacters = "\r\n";
constexpr std::string_view crLf = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmedLeft(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view trimmed(std::string_view text)
{
    text = trimmedLeft(text);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b) { return platform::equalIgnoringAsciiCase(a, b); }

// One line of the text: its bytes are [begin, end), its line break (if any)
// [end, next).
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

Line lineAt(std::string_view text, std::size_t begin)
{
    const std::size_t end = text.find_first_of(breakCharacters, begin);
    if (end == std::string_view::npos)
        return {begin, text.size(), text.size()};
    const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return {begin, end, end + (crLf ? 2 : 1)};
}

std::optional<std::string_view> sectionName(std::string_view content)
{
    content = trimmedLeft(content);
    if (content.empty() || content.front() != '[')
        return std::nullopt;
    content.remove_prefix(1);
    return trimmed(content.substr(0, content.find(']')));
}

// A key line's name and where its value lies in the whole text; an empty
// value lies just after the "=" and its blanks.
struct KeyLine {
    std::string_view name;
    std::size_t valueBegin;
    std::size_t valueEnd;
};

std::optional<KeyLine> keyLine(std::string_view text, const Line& line)
{
    const std::string_view content = text.substr(line.begin, line.end - line.begin);
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos || trimmedLeft(content).front() == ';')
        return std::nullopt;
    const std::string_view afterEquals = content.substr(equals + 1);
    const std::string_view value = trimmed(afterEquals);
    const std::size_t valueBegin = line.begin + equals + 1 + (afterEquals.size() - trimmedLeft(afterEquals).size());
    return KeyLine{trimmed(content.substr(0, equals)), valueBegin, valueBegin + value.size()};
}

struct Location {
    // The section's last non-blank line (its header at least), when found.
    std::optional<Line> sectionEnd;
    std::optional<KeyLine> key;
};

Location locate(std::string_view text, std::string_view section, std::string_view key)
{
    Location where;
    bool inside = false;
    for (std::size_t at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        const std::string_view content = text.substr(line.begin, line.end - line.begin);
        if (const auto name = sectionName(content)) {
            if (inside)
                break;
            inside = sameName(*name, section);
            if (inside)
                where.sectionEnd = line;
            continue;
        }
        if (!inside || trimmed(content).empty())
            continue;
        where.sectionEnd = line;
        if (const auto entry = keyLine(text, line); entry && sameName(entry->name, key)) {
            where.key = entry;
            break;
        }
    }
    return where;
}

bool endsWithLineBreak(std::string_view text) { return !text.empty() && (text.back() == '\r' || text.back() == '\n'); }

// The line break of the text's first line; CR LF for a text without any.
std::string lineBreakOf(std::string_view text)
{
    const Line first = lineAt(text, 0);
    return std::string(first.next > first.end ? text.substr(first.end, first.next - first.end) : crLf);
}

std::string_view unquoted(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view valueAt(std::string_view text, const KeyLine& key)
{
    return text.substr(key.valueBegin, key.valueEnd - key.valueBegin);
}

// `text` with the key line added to the section, or with the section and
// the key line appended when the section is missing.
std::string withKeyAdded(std::string_view text, const Location& where, std::string_view section, std::string_view key,
                         std::string_view value)
{
    const std::string lineBreak = lineBreakOf(text);
    std::string result(text);
    std::string added = std::string(key) + "=" + std::string(value) + lineBreak;
    if (where.sectionEnd) {
        const Line& last = *where.sectionEnd;
        if (last.next == last.end)
            added.insert(0, lineBreak);
        return result.insert(last.next, added);
    }
    if (!text.empty() && !endsWithLineBreak(text))
        result += lineBreak;
    return result + "[" + std::string(section) + "]" + lineBreak + added;
}

} // namespace

std::optional<std::string> profileValue(std::string_view text, std::string_view section, std::string_view key)
{
    const Location where = locate(text, section, key);
    if (!where.key)
        return std::nullopt;
    return std::string(valueAt(text, *where.key));
}

std::optional<std::string> profileString(std::string_view text, std::string_view section, std::string_view key)
{
    const Location where = locate(text, section, key);
    if (!where.key)
        return std::nullopt;
    return std::string(unquoted(valueAt(text, *where.key)));
}

std::string withProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value)
{
    const Location where = locate(text, section, key);
    if (!where.key)
        return withKeyAdded(text, where, section, key, value);
    std::string result(text);
    if (unquoted(valueAt(text, *where.key)) == value)
        return result;
    return result.replace(where.key->valueBegin, where.key->valueEnd - where.key->valueBegin, value);
}

bool isWritableProfileEntry(std::string_view section, std::string_view key, std::string_view value)
{
    const auto isName = [](std::string_view name, std::string_view forbidden) {
        return !name.empty() && trimmed(name) == name && name.find_first_of(forbidden) == std::string_view::npos;
    };
    // The reader drops blanks around a value and a pair of quotes enclosing it, so such a value would read
    // back shorter.
    return isName(section, "]\r\n") && isName(key, "=\r\n") && key.front() != '[' && key.front() != ';' &&
           trimmed(value) == value && unquoted(value) == value &&
           value.find_first_of(breakCharacters) == std::string_view::npos;
}

} // namespace safeboot

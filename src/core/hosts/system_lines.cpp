#include "core/hosts/system_lines.h"

#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace vendrel {
namespace {

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = asciiLower(c);
    return lower;
}

// The next word of `text` from `at` on (words are parted by blanks, TABs and
// other controls), with `at` moved past it; empty at the end.
std::string_view nextWord(std::string_view text, std::size_t& at)
{
    while (at < text.size() && isSpaceOrControl(text[at]))
        ++at;
    const std::size_t start = at;
    while (at < text.size() && !isSpaceOrControl(text[at]))
        ++at;
    return text.substr(start, at - start);
}

std::optional<int> hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = asciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

// The groups of 16 bits of `text`, one to four hex digits each, parted by ":".
std::optional<std::vector<std::uint16_t>> hexGroups(std::string_view text)
{
    std::vector<std::uint16_t> groups;
    if (text.empty())
        return groups;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find(':', start), text.size());
        if (end == start || end - start > 4)
            return std::nullopt;
        unsigned value = 0;
        for (std::size_t i = start; i < end; ++i) {
            const auto digit = hexDigit(text[i]);
            if (!digit)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(*digit);
        }
        groups.push_back(static_cast<std::uint16_t>(value));
        if (end == text.size())
            return groups;
        start = end + 1;
    }
}

// The eight groups of an IPv6 address written with hex groups, "::" for a run
// of zero groups, and a "%zone" after it; nothing for anything else.
std::optional<std::array<std::uint16_t, 8>> ipv6Groups(std::string_view address)
{
    address = address.substr(0, address.find('%'));
    const std::size_t gap = address.find("::");
    const auto head = hexGroups(address.substr(0, gap));
    const auto tail = gap == std::string_view::npos
                          ? std::optional<std::vector<std::uint16_t>>(std::vector<std::uint16_t>())
                          : hexGroups(address.substr(gap + 2));
    if (!head || !tail)
        return std::nullopt;
    const std::size_t given = head->size() + tail->size();
    if (gap == std::string_view::npos ? given != 8 : given > 7)
        return std::nullopt;
    std::array<std::uint16_t, 8> groups{};
    std::copy(head->begin(), head->end(), groups.begin());
    std::copy(tail->begin(), tail->end(), groups.end() - static_cast<std::ptrdiff_t>(tail->size()));
    return groups;
}

bool isLocalIpv6(std::string_view address)
{
    const auto groups = ipv6Groups(address);
    if (!groups)
        return false;
    constexpr std::array<std::uint16_t, 8> loopback{0, 0, 0, 0, 0, 0, 0, 1};
    const unsigned top = (*groups)[0] >> 8;
    return *groups == loopback || top == 0xfe || top == 0xff;
}

// The four parts of a dotted decimal IPv4 address; nothing for anything else.
std::optional<std::array<unsigned, 4>> ipv4Parts(std::string_view address)
{
    std::array<unsigned, 4> parts{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        if (part > 0 && (at >= address.size() || address[at++] != '.'))
            return std::nullopt;
        const std::size_t start = at;
        unsigned value = 0;
        while (at < address.size() && at - start < 3 && address[at] >= '0' && address[at] <= '9')
            value = value * 10 + static_cast<unsigned>(address[at++] - '0');
        if (at == start || value > 255)
            return std::nullopt;
        parts[part] = value;
    }
    if (at != address.size())
        return std::nullopt;
    return parts;
}

// Whether `names` holds `lowerName` as one of its words, in any letter case.
bool holdsName(std::string_view names, std::string_view lowerName)
{
    std::size_t at = 0;
    for (std::string_view name = nextWord(names, at); !name.empty(); name = nextWord(names, at))
        if (equalsIgnoringAsciiCase(name, lowerName))
            return true;
    return false;
}

std::size_t nameCount(std::string_view names)
{
    std::size_t count = 0;
    std::size_t at = 0;
    while (!nextWord(names, at).empty())
        ++count;
    return count;
}

// The line with every run of blanks and controls one blank, trimmed, and its
// ASCII letters in lower case.
std::string blockKey(std::string_view line)
{
    std::string key;
    std::size_t at = 0;
    for (std::string_view word = nextWord(line, at); !word.empty(); word = nextWord(line, at)) {
        if (!key.empty())
            key += ' ';
        key += lowerAscii(word);
    }
    return key;
}

} // namespace

SystemLines::SystemLines(std::string machineName, bool resolvesLocalhostFromFile)
    : machineName_(lowerAscii(machineName)), shortName_(machineName_.substr(0, machineName_.find('.'))),
      resolvesLocalhostFromFile_(resolvesLocalhostFromFile)
{
}

bool SystemLines::isSystemLine(std::string_view line) const
{
    std::size_t at = 0;
    const std::string_view address = nextWord(line, at);
    return isSystemEntry(address, line.substr(at));
}

bool SystemLines::isSystemEntry(std::string_view address, std::string_view rest) const
{
    if (address.empty() || address.front() == '#')
        return false;
    const std::string_view names = rest.substr(0, rest.find('#'));
    if (address.find(':') != std::string_view::npos)
        return isLocalIpv6(address);
    if (const auto parts = ipv4Parts(address); parts && (*parts)[0] == 127) {
        const bool blockingAddress = *parts == std::array<unsigned, 4>{127, 0, 0, 1};
        if (!blockingAddress || (holdsName(names, "localhost") && nameCount(names) > 1))
            return true;
    }
    return namesTheMachine(names);
}

bool SystemLines::namesTheMachine(std::string_view names) const
{
    if (shortName_.empty())
        return false;
    // Most lines do not hold the name at all; only those are split into names.
    if (!containsIgnoringAsciiCase(names, shortName_))
        return false;
    return holdsName(names, machineName_) || holdsName(names, shortName_);
}

bool SystemBlock::add(std::string_view line)
{
    if (!keys_.insert(blockKey(line)).second)
        return false;
    lines_.emplace_back(line);
    return true;
}

bool SystemBlock::holdsLike(std::string_view line) const { return keys_.contains(blockKey(line)); }

SystemBlock systemLinesOf(std::string_view text, const SystemLines& rule)
{
    SystemBlock block;
    forEachLine(withoutByteOrderMark(text), [&](std::string_view line) {
        if (rule.isSystemLine(line))
            block.add(line);
    });
    return block;
}

bool mapsLocalhostToLoopback(std::string_view address, std::string_view names)
{
    return ipv4Parts(address) == std::array<unsigned, 4>{127, 0, 0, 1} &&
           holdsName(names.substr(0, names.find('#')), "localhost");
}

std::vector<std::string> linesBeforeHeader(const SystemBlock& block, std::string_view address, const SystemLines& rule)
{
    std::vector<std::string> lines = block.lines();
    const auto givesLoopbackLocalhost = [](const std::string& line) {
        std::size_t at = 0;
        const std::string_view lineAddress = nextWord(line, at);
        return mapsLocalhostToLoopback(lineAddress, std::string_view(line).substr(at));
    };
    if (rule.resolvesLocalhostFromFile() && ipv4Parts(address) != std::array<unsigned, 4>{127, 0, 0, 1} &&
        std::ranges::none_of(lines, givesLoopbackLocalhost))
        lines.emplace_back(loopbackLocalhostLine);
    return lines;
}

bool isIpv6Address(std::string_view address)
{
    const std::size_t start = address.find_first_not_of('#');
    return start != std::string_view::npos && ipv6Groups(address.substr(start)).has_value();
}

} // namespace vendrel

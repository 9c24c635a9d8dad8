#include "core/whitelist/whitelist.h"

#include "core/hosts/text_file.h"
#include "platform/platform.h"

#include <filesystem>
#include <unordered_set>

namespace vendrel {

std::string whitelistPathIn(const std::string& programFolder)
{
    return platform::joinPath(programFolder, whitelistFileName);
}

std::vector<std::string> readWhitelist(const std::string& whitelistPath)
{
    std::error_code ignored;
    if (!std::filesystem::exists(whitelistPath, ignored))
        return {};
    const std::string text = readTextFile(whitelistPath);
    std::vector<std::string> lines;
    forEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void writeWhitelistText(const std::string& whitelistPath, std::string_view text)
{
    std::vector<std::string> lines;
    forEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    writeTextLines(whitelistPath, lines);
}

void appendToWhitelist(const std::string& whitelistPath, std::string_view host)
{
    std::vector<std::string> lines = readWhitelist(whitelistPath);
    lines.emplace_back(host);
    writeTextLines(whitelistPath, lines);
}

std::size_t removeWhitelistedRows(HostsRows& rows, const std::vector<std::string>& whitelist,
                                  const SystemLines& systemLines)
{
    const std::unordered_set<std::string_view> listed(whitelist.begin(), whitelist.end());
    return rows.removeRowsWhere(1, [&](std::string_view address, std::string_view host) {
        return listed.contains(host) && !systemLines.isSystemEntry(address, host);
    });
}

void addWhitelistRows(HostsRows& rows, const std::vector<std::string>& whitelist, std::string_view redirectAddress,
                      const SystemLines& systemLines)
{
    const std::string address = std::string(redirectAddress) + ' ';
    for (const std::string& line : whitelist)
        if (!line.empty() && !systemLines.isSystemEntry(redirectAddress, line))
            rows.appendRow(address, line);
}

} // namespace vendrel

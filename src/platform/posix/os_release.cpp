#include "platform/posix/os_release.h"

#include <fstream>
#include <sstream>

namespace platform::posix {
namespace {

// The value of `key` in os-release's shell-like assignments, quotes removed.
std::string valueOf(std::string_view osRelease, std::string_view key)
{
    std::istringstream lines{std::string(osRelease)};
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != '=')
            continue;
        std::string value = line.substr(key.size() + 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
            value.pop_back();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

} // namespace

std::vector<std::string> osReleaseIdentifiers(std::string_view osRelease)
{
    std::vector<std::string> identifiers;
    if (std::string id = valueOf(osRelease, "ID"); !id.empty())
        identifiers.push_back(std::move(id));
    std::istringstream like(valueOf(osRelease, "ID_LIKE"));
    for (std::string word; like >> word;)
        identifiers.push_back(word);
    return identifiers;
}

std::vector<std::string> distributionIdentifiers()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream file(path);
        if (!file)
            continue;
        std::ostringstream text;
        text << file.rdbuf();
        return osReleaseIdentifiers(text.str());
    }
    return {};
}

} // namespace platform::posix

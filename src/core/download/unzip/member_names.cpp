#include "core/download/unzip/member_names.h"

#include "platform/text_bytes.h"

#include <algorithm>

namespace vendrel::unzip {
std::string_view fileNamePart(std::string_view storedName)
{
    const std::size_t separator = storedName.find_last_of("/\\");
    return separator == std::string_view::npos ? storedName : storedName.substr(separator + 1);
}

bool selectsMember(std::string_view storedName, std::string_view requested)
{
    const std::string_view name = fileNamePart(storedName);
    return !name.empty() && platform::equalIgnoringAsciiCase(name, requested);
}

bool namesNoFile(std::string_view fileName)
{
    return fileName.empty() || fileName == "." || fileName == "..";
}

bool isSafeFileName(std::string_view name)
{
    return !namesNoFile(name) && name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

std::string printableName(std::string_view storedName)
{
    // Cut a long name at the start of a character, not inside one.
    constexpr std::size_t longest = 100;
    std::size_t end = std::min(storedName.size(), longest);
    while (end < storedName.size() && end > 0 && (static_cast<unsigned char>(storedName[end]) & 0xC0) == 0x80)
        --end;
    std::string shown(storedName.substr(0, end));
    if (end < storedName.size())
        shown += "...";
    std::replace_if(shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return shown;
}

} // namespace vendrel::unzip

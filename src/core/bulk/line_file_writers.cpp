#include "core/bulk/line_file_writers.h"

#include "core/hosts/text_file.h"

namespace vendrel {

TextLines readTextLines(const std::string& path)
{
    TextLines result;
    result.text = readTextFile(path);
    result.lines = splitLines(result.text);
    return result;
}

std::string joinLines(const std::vector<std::string_view>& lines)
{
    std::size_t total = 0;
    for (const std::string_view line : lines)
        total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const std::string_view line : lines)
        text.append(line).append("\r\n");
    return text;
}

std::string appendLinesToText(std::string text, const std::vector<std::string_view>& lines)
{
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        text += "\r\n";
    text += joinLines(lines);
    return text;
}

} // namespace vendrel

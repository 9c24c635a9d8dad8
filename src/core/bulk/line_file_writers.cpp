#include "core/bulk/line_file_writers.h"

#include "core/hosts/text_file.h"

#include <filesystem>

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

void FileAppend(const std::vector<std::string_view>& lines, const std::string& path)
{
    std::error_code ignored;
    writeWholeFile(path, appendLinesToText(std::filesystem::exists(path, ignored) ? readWholeFile(path) : std::string(),
                                           lines));
}

void FileRewrite(const std::vector<std::string_view>& lines, const std::string& path)
{
    writeWholeFile(path, joinLines(lines));
}

} // namespace vendrel

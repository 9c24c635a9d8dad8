#include "core/preview/text_lines.h"

namespace vendrel {

TextLine lineAt(std::string_view text, std::size_t start)
{
    std::size_t end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    std::size_t next = end;
    if (next < text.size())
        next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
    return {text.substr(start, end - start), text.substr(end, next - end), next};
}

std::size_t countTextLines(std::string_view text)
{
    if (text.empty())
        return 0;
    // Every LF ends a line, and so does every CR that no LF follows; the last
    // byte ends the last line whether it is a break or not.
    const std::size_t last = text.size() - 1;
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < last; ++i) {
        const char c = text[i];
        breaks += static_cast<std::size_t>((c == '\n') | ((c == '\r') & (text[i + 1] != '\n')));
    }
    return breaks + 1;
}

} // namespace vendrel

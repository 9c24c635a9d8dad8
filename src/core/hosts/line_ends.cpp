#include "core/hosts/line_ends.h"

namespace vendrel {
namespace {

// Whether every break of `text` is CR LF: each LF has a CR before it and each CR an LF after it.
bool allBreaksAreCrLf(std::string_view text)
{
    for (std::size_t at = text.find_first_of("\r\n"); at != std::string_view::npos;
         at = text.find_first_of("\r\n", at + 2)) {
        if (text[at] == '\n' || at + 1 == text.size() || text[at + 1] != '\n')
            return false;
    }
    return true;
}

// Every break of `text` made one LF, in place: the text only grows shorter.
void breaksToLineFeeds(std::string& text)
{
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == '\r') {
            text[out++] = '\n';
            if (in + 1 < text.size() && text[in + 1] == '\n')
                ++in;
        } else {
            text[out++] = text[in];
        }
    }
    text.resize(out);
}

std::string breaksToCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == '\r' || text[in] == '\n') {
            out += "\r\n";
            if (text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n')
                ++in;
        } else {
            out += text[in];
        }
    }
    return out;
}

} // namespace

std::string_view lineBreakOf(std::string_view text, std::string_view fallback)
{
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return fallback;
    if (text[at] == '\n')
        return lineFeed;
    return at + 1 < text.size() && text[at + 1] == '\n' ? crLf : fallback;
}

std::string withLineBreaks(std::string text, std::string_view lineBreak)
{
    if (lineBreak == lineFeed) {
        if (text.find('\r') != std::string::npos)
            breaksToLineFeeds(text);
        return text;
    }
    if (allBreaksAreCrLf(text))
        return text;
    return breaksToCrLf(text);
}

} // namespace vendrel

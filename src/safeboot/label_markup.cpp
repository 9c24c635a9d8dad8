#include "safeboot/label_markup.h"

#include <algorithm>
#include <optional>

namespace safeboot {
namespace {

// Where a tag's first occurrence ends; nothing when the text lacks it.
std::optional<std::size_t> tagEnd(std::string_view text, std::string_view tag)
{
    const std::size_t at = text.find(tag);
    if (at == std::string_view::npos)
        return std::nullopt;
    return at + tag.size();
}

struct SizeTag {
    int points;
    std::size_t end;
};

SizeTag readSizeTag(std::string_view text, std::size_t valueBegin)
{
    const std::size_t close = std::min(text.find('>', valueBegin), text.size());
    std::string_view value = text.substr(valueBegin, close - valueBegin);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    int points = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            break;
        points = std::min(points * 10 + (c - '0'), LabelMarkup::largestPointSize);
    }
    return {points == 0 ? LabelMarkup::defaultPointSize : points, std::min(close + 1, text.size())};
}

} // namespace

LabelMarkup parseLabelMarkup(std::string_view text)
{
    LabelMarkup markup;
    const auto bold = tagEnd(text, "<B>");
    const auto italic = tagEnd(text, "<I>");
    const auto underline = tagEnd(text, "<U>");
    const auto link = tagEnd(text, "<URL>");
    const auto size = tagEnd(text, "<S=");
    markup.bold = bold.has_value();
    markup.italic = italic.has_value();
    markup.link = link.has_value();
    markup.underline = underline || link;
    markup.line = tagEnd(text, "<HL>").has_value();
    markup.checkMark = tagEnd(text, "<CM>").has_value();
    markup.tagged = markup.bold || markup.italic || markup.underline || size || markup.line || markup.checkMark;

    for (const auto& end : {bold, italic, underline, link})
        markup.textStart = std::max(markup.textStart, end.value_or(0));
    if (size) {
        const SizeTag tag = readSizeTag(text, *size);
        markup.pointSize = tag.points;
        markup.textStart = std::max(markup.textStart, tag.end);
    }
    return markup;
}

} // namespace safeboot

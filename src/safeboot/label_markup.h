#pragma once

#include <cstddef>
#include <string_view>

namespace safeboot {

// What the markup tags of a static label ask for. Tags are found anywhere in
// the text by a case-sensitive search for their first occurrence: "<B>" bold,
// "<I>" italic, "<U>" underline, "<URL>" an underlined blue web link,
// "<S=n>" a size of n points, "<HL>" only an etched line, "<CM>" only a check
// mark. The shown text starts after the right-most of "<B>", "<I>", "<U>",
// "<URL>" and the size tag; "<HL>" and "<CM>" do not move it.
struct LabelMarkup {
    static constexpr int defaultPointSize = 8;
    static constexpr int largestPointSize = 1000;

    bool tagged = false; // any tag was found: the label is painted from the markup
    bool bold = false;
    bool italic = false;
    bool underline = false; // "<U>" or "<URL>"
    bool link = false;
    bool line = false;
    bool checkMark = false;
    int pointSize = defaultPointSize;
    std::size_t textStart = 0; // byte offset of the shown text
};

// The size tag's value is read from its leading blanks and decimal digits up
// to ">"; no digits or 0 give the default size, larger values than
// largestPointSize are cut to it. A size tag without ">" takes the rest of
// the text as its value, so no text is shown.
LabelMarkup parseLabelMarkup(std::string_view text);

// The part of `text` a label with this markup shows.
inline std::string_view shownText(std::string_view text, const LabelMarkup& markup)
{
    return text.substr(markup.textStart);
}

} // namespace safeboot

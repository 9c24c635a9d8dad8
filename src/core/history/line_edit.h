#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// One replacement of whole lines: `removed` lines from line `first` (counted
// from 0) give way to `lines`, whole lines with their breaks. A line ends
// after its LF (so a CR LF line is one line), or at the end of the text.
struct LineSplice {
    std::size_t first = 0;
    std::size_t removed = 0;
    std::string lines;

    bool operator==(const LineSplice&) const = default;
};

// What a change did to a text's lines, as its splices in the order of their
// lines, none reaching into the next, each counted in the text before the
// change. A few lines changed in a large text cost only those lines.
struct LineEdit {
    std::vector<LineSplice> splices;

    // The bytes of new lines it holds.
    std::size_t newBytes() const;

    bool operator==(const LineEdit&) const = default;
};

// Where line `line` of `text` starts: the text's size for the line after an
// unbroken last one; nothing when the text has fewer lines than that.
std::optional<std::size_t> lineStart(std::string_view text, std::size_t line);

// How many lines `lines` holds, a last one without its break included.
std::size_t linesIn(std::string_view lines);

// `text` with `edit` made; nothing when a splice lies beyond the text's lines
// or the splices are out of order, which no edit of this text can be.
std::optional<std::string> applyLineEdit(std::string text, const LineEdit& edit);

// The edit that takes the text `edit` made of `before` back to `before`.
// `edit` must apply to `before`.
LineEdit inverseLineEdit(std::string_view before, const LineEdit& edit);

// The edit of one splice that makes `after` of `before`: the lines from the
// first that differs to the last that differs, found by comparing the two
// texts from both ends (a few memory-speed passes, no line by line diff).
// Nothing when the texts are the same.
std::optional<LineEdit> spanningLineEdit(std::string_view before, std::string_view after);

// The edit as the bytes of a history record, and back: nothing when the
// record is not one encodeLineEdit writes.
std::string encodeLineEdit(const LineEdit& edit);
std::optional<LineEdit> decodeLineEdit(std::string_view record);

} // namespace vendrel

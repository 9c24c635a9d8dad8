#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace vendrel::gui {

// Hosts files keep their own bytes; only the screen sees text. Bytes that are
// valid UTF-8 are shown as UTF-8, anything else as the Western 8-bit code page.
QString decodeCellBytes(std::string_view bytes);

// A whole text file for the plain-text area: decoded as UTF-8 when all of it
// is valid UTF-8, as the 8-bit code page otherwise, so that it is written
// back in the encoding it came in.
struct DecodedFile {
    QString text;
    bool eightBit = false;
};
DecodedFile decodeFileBytes(std::string_view bytes);

// Bytes of typed `text` for a file in the 8-bit code page (`eightBit`) or in
// UTF-8; nothing when the 8-bit code page cannot hold one of its characters.
std::optional<std::string> encodeFileText(const QString& text, bool eightBit);

// The refusal of typed `text` that the 8-bit code page cannot hold, naming
// the first character that does not fit, followed by `outcome`
// ("the line was not added.").
QString codePageRefusal(const QString& text, const QString& outcome);

} // namespace vendrel::gui

#pragma once

#include <QString>

#include <optional>

#include <string>
#include <string_view>

// Hosts files keep their own bytes; only the screen sees text. Bytes that are
// valid UTF-8 are shown as UTF-8, anything else as the Western 8-bit code page.
QString decodeCellBytes(std::string_view bytes);

// Bytes for text the user typed into a cell whose previous bytes were
// `previous`: the 8-bit code page when the cell was in it and the text fits,
// UTF-8 otherwise.
std::string encodeCellText(const QString& text, std::string_view previous);

// A whole text file for the plain-text area: decoded as UTF-8 when all of it
// is valid UTF-8, as the 8-bit code page otherwise, so that it is written
// back in the encoding it came in.
struct DecodedFile {
    QString text;
    bool eightBit = false;
};
DecodedFile decodeFileBytes(std::string_view bytes);

// Bytes of `text` in a file's encoding; nothing when the 8-bit code page
// cannot hold one of its characters.
std::optional<std::string> encodeFileText(const QString& text, bool eightBit);

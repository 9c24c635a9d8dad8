#pragma once

#include <QString>

#include <string>
#include <string_view>

// Hosts files keep their own bytes; only the screen sees text. Bytes that are
// valid UTF-8 are shown as UTF-8, anything else as the Western 8-bit code page.
QString decodeCellBytes(std::string_view bytes);

// Bytes for text the user typed into a cell whose previous bytes were
// `previous`: the 8-bit code page when the cell was in it and the text fits,
// UTF-8 otherwise.
std::string encodeCellText(const QString& text, std::string_view previous);

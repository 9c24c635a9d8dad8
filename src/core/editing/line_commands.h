#pragma once

#include "core/hosts/hosts_rows.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace vendrel {

// The text of a row as the line commands see it: address cell, CR LF, host cell, CR LF.
std::string rowText(const HostsRows& rows, std::size_t row);

// Refills a row from a text: both cells are emptied, then each line of the
// text (CR, LF or CR LF breaks) goes into the next cell, an empty line as a
// single blank so that it occupies its cell; lines past the second are dropped.
void refillRow(HostsRows& rows, std::size_t row, std::string_view text);

// A line is a comment when its row text, and so its address cell, begins with "#".
bool isCommentRow(const HostsRows& rows, std::size_t row);

// Comments the row out ("#" in front of its row text) or in (its first
// character removed), refilling it from the result.
void toggleLineComment(HostsRows& rows, std::size_t row);

// Splits a typed line at its first blank: the address before it and the rest,
// each without leading and trailing characters of code 32 or less. A text
// without a blank, or starting with one, is all host.
std::pair<std::string, std::string> splitTypedLine(std::string_view text);

// Removes the row; the only row of a list stays as it is.
void deleteRow(HostsRows& rows, std::size_t row);

} // namespace vendrel

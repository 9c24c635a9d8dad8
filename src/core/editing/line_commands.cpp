#include "core/editing/line_commands.h"

#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

namespace vendrel {
std::string rowText(const HostsRows& rows, std::size_t row)
{
    std::string text;
    text.reserve(rows.address(row).size() + rows.host(row).size() + 4);
    text.append(rows.address(row)).append("\r\n").append(rows.host(row)).append("\r\n");
    return text;
}

void refillRow(HostsRows& rows, std::size_t row, std::string_view text)
{
    std::string cells[2];
    int filled = 0;
    forEachLine(text, [&](std::string_view line) {
        if (filled < 2)
            cells[filled++] = line.empty() ? std::string(" ") : std::string(line);
    });
    rows.setRow(row, cells[0], cells[1]);
}

bool isCommentRow(const HostsRows& rows, std::size_t row) { return rows.address(row).starts_with('#'); }

void toggleLineComment(HostsRows& rows, std::size_t row)
{
    const std::string text = rowText(rows, row);
    if (isCommentRow(rows, row))
        refillRow(rows, row, std::string_view(text).substr(1));
    else
        refillRow(rows, row, "#" + text);
}

std::pair<std::string, std::string> splitTypedLine(std::string_view text)
{
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return {std::string(), std::string(trimSpaceAndControls(text))};
    return {std::string(trimSpaceAndControls(text.substr(0, blank))),
            std::string(trimSpaceAndControls(text.substr(blank)))};
}

void deleteRow(HostsRows& rows, std::size_t row)
{
    if (rows.size() > 1)
        rows.removeRow(row);
}

} // namespace vendrel

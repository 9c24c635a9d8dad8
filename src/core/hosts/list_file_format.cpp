#include "core/hosts/list_file_format.h"

#include "core/hosts/text_file.h"

namespace vendrel {
namespace {

constexpr char quote = ' ';

void appendCell(std::string& out, std::string_view cell)
{
    if (cell.find('\t') == std::string_view::npos) {
        out += cell;
        return;
    }
    out += quote;
    for (const char c : cell) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
}

// Reads one cell starting at `position`, which is left just after the TAB
// that ends it (or at the end of the line). The host cell, the last one,
// takes everything up to the end of the line.
std::string readCell(std::string_view line, std::size_t& position, bool lastCell)
{
    std::string cell;
    if (position < line.size() && line[position] == quote) {
        ++position;
        while (position < line.size()) {
            if (line[position] == quote) {
                if (position + 1 < line.size() && line[position + 1] == quote) {
                    cell += quote;
                    position += 2;
                    continue;
                }
                ++position;
                break;
            }
            cell += line[position++];
        }
    }
    const std::size_t end = lastCell ? line.size() : std::min(line.find('\t', position), line.size());
    cell.append(line.substr(position, end - position));
    position = end < line.size() ? end + 1 : end;
    return cell;
}

} // namespace

std::string formatList(const HostsRows& rows)
{
    std::string out;
    out.reserve(rows.cellBytes() + rows.size() * 3 + 3);
    if (rows.utf8ByteOrderMark())
        out += "\xEF\xBB\xBF";
    for (std::size_t row = 0; row < rows.size(); ++row) {
        appendCell(out, rows.address(row));
        out += '\t';
        appendCell(out, rows.host(row));
        out += "\r\n";
    }
    return out;
}

void SaveList(const HostsRows& rows, const std::string& path)
{
    writeWholeFile(path, formatList(rows));
}

std::pair<std::string, std::string> parseListLine(std::string_view line)
{
    std::size_t position = 0;
    std::string address = readCell(line, position, false);
    std::string host = readCell(line, position, true);
    return {std::move(address), std::move(host)};
}

HostsRows readListFile(const std::string& path)
{
    const std::string text = readWholeFile(path);
    HostsRows rows;
    bool first = true;
    forEachLine(text, [&](std::string_view line) {
        const auto [address, host] = parseListLine(line);
        if (first)
            rows.setRow(0, address, host);
        else
            rows.appendRow(address, host);
        first = false;
    });
    return rows;
}

} // namespace vendrel

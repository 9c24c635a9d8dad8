#include "core/hosts/list_file_format.h"

#include "core/error.h"

#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/folder_writer.h"
#include "platform/platform.h"

#include <filesystem>

#include <optional>

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

// Reads a cell the writer quoted, starting at its opening blank. Only a
// quoted cell that holds a TAB and whose closing blank ends the field (at a
// TAB, or at the end of the line for the last cell) is taken as quoted; any
// other cell that merely begins with a blank is read as it stands.
std::optional<std::string> readQuotedCell(std::string_view line, std::size_t& position, bool lastCell)
{
    std::string cell;
    std::size_t at = position + 1;
    while (at < line.size()) {
        if (line[at] != quote) {
            cell += line[at++];
            continue;
        }
        if (at + 1 < line.size() && line[at + 1] == quote) {
            cell += quote;
            at += 2;
            continue;
        }
        const std::size_t after = at + 1;
        const bool endsField = lastCell ? after == line.size() : (after < line.size() && line[after] == '\t');
        if (!endsField || cell.find('\t') == std::string::npos)
            return std::nullopt;
        position = after < line.size() ? after + 1 : after;
        return cell;
    }
    return std::nullopt;
}

// Reads one cell starting at `position`, which is left just after the TAB
// that ends it (or at the end of the line). The host cell, the last one,
// takes everything up to the end of the line.
std::string readCell(std::string_view line, std::size_t& position, bool lastCell)
{
    if (position < line.size() && line[position] == quote)
        if (auto quoted = readQuotedCell(line, position, lastCell))
            return *quoted;
    const std::size_t end = lastCell ? line.size() : std::min(line.find('\t', position), line.size());
    std::string cell(line.substr(position, end - position));
    position = end < line.size() ? end + 1 : end;
    return cell;
}

} // namespace

std::string formatList(const HostsRows& rows)
{
    std::string out;
    out.reserve(rows.cellBytes() + rows.size() * 3 + 3);
    platform::adviseLargeBlock(out.data(), out.capacity());
    if (rows.utf8ByteOrderMark())
        out += utf8ByteOrderMark;
    for (std::size_t row = 0; row < rows.size(); ++row)
        appendListLine(out, rows.address(row), rows.host(row), "\r\n");
    return out;
}

void appendListLine(std::string& out, std::string_view address, std::string_view host, std::string_view lineBreak)
{
    appendCell(out, address);
    out += '\t';
    appendCell(out, host);
    out += lineBreak;
}

std::string formatRows(const HostsRows& rows, std::size_t first, std::size_t count, std::string_view lineBreak)
{
    std::string out;
    for (std::size_t row = first; row < first + count; ++row)
        appendListLine(out, rows.address(row), rows.host(row), lineBreak);
    return out;
}

void SaveList(const HostsRows& rows, const std::string& path) { writeWholeFile(path, formatList(rows)); }

void saveBackupList(const HostsRows& rows, const std::string& path)
{
    const std::filesystem::path file(path);
    try {
        platform::writeFileInFolder(platform::Folder(file.parent_path().string()), file.filename().string(),
                                    formatList(rows), platform::ownerOnlyFile());
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
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
    std::string_view lines = text;
    HostsRows rows;
    rows.setUtf8ByteOrderMark(lines.starts_with(utf8ByteOrderMark));
    if (rows.utf8ByteOrderMark())
        lines.remove_prefix(utf8ByteOrderMark.size());
    bool first = true;
    forEachLine(lines, [&](std::string_view line) {
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

#include "core/hosts/hosts_loader.h"

#include "core/error.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

namespace vendrel {
namespace {

// Room for rows added after a load, so that the first few additions do not
// copy every row.
constexpr std::size_t spareRows = 4096;


using Span = HostsRows::Span;

// The line [begin, end) of `text`, whose TABs are blanks already, without
// leading and trailing characters of code 32 or less.
Span trimmedLine(std::string_view text, std::size_t begin, std::size_t end)
{
    while (begin < end && isSpaceOrControl(text[begin]))
        ++begin;
    while (end > begin && isSpaceOrControl(text[end - 1]))
        --end;
    return Span{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end - begin)};
}

// First pass over one line: TABs become blanks in place; the result is the trimmed line.
Span normaliseLine(std::string& text, std::size_t begin, std::size_t end)
{
    std::replace(text.begin() + static_cast<std::ptrdiff_t>(begin),
                 text.begin() + static_cast<std::ptrdiff_t>(end), '\t', ' ');
    return trimmedLine(text, begin, end);
}

// Second pass over one normalised line: the first word and the trimmed rest.
HostsRows::Row splitLine(std::string_view text, Span line)
{
    const std::string_view view = text.substr(line.offset, line.length);
    if (view == "#")
        return {line, Span{line.offset + 1, 0}};
    const std::size_t blank = view.find(' ');
    if (blank == std::string_view::npos)
        return {Span{line.offset, 0}, line};
    std::size_t restStart = blank;
    while (restStart < view.size() && isSpaceOrControl(view[restStart]))
        ++restStart;
    return {Span{line.offset, static_cast<std::uint32_t>(blank)},
            Span{static_cast<std::uint32_t>(line.offset + restStart), static_cast<std::uint32_t>(view.size() - restStart)}};
}

// The row's address and its whole line when its host cell is "localhost" in any case.
std::optional<RedirectLine> redirectLineOf(std::string_view text, const HostsRows::Row& row)
{
    if (!equalsIgnoringAsciiCase(text.substr(row.host.offset, row.host.length), "localhost"))
        return std::nullopt;
    return RedirectLine{std::string(text.substr(row.address.offset, row.address.length)),
                        std::string(text.substr(row.address.offset, row.host.offset + row.host.length - row.address.offset))};
}

LoadedHosts splitIntoRows(std::string text, std::size_t textStart, std::size_t lineCount, const Progress& progress)
{
    std::vector<HostsRows::Row> rows;
    rows.reserve(lineCount + spareRows);
    progress.start(processingCaption, lineCount);
    forEachLine(std::string_view(text).substr(textStart), [&](std::string_view line) {
        const auto begin = static_cast<std::size_t>(line.data() - text.data());
        rows.push_back({normaliseLine(text, begin, begin + line.size()), {}});
        progress.step(rows.size());
    });

    progress.start(populatingCaption, lineCount);
    LoadedHosts loaded;
    for (HostsRows::Row& row : rows) {
        row = splitLine(text, row.address);
        if (auto redirect = redirectLineOf(text, row)) {
            loaded.redirectAddress = std::move(redirect->address);
            loaded.redirectLine = std::move(redirect->line);
        }
    }
    loaded.rows = HostsRows(std::move(text), std::move(rows));
    loaded.rows.setUtf8ByteOrderMark(textStart > 0);
    return loaded;
}

// The row a load makes of one line whose TABs are blanks already.
HostsRows::Row rowOfLine(std::string_view line) { return splitLine(line, trimmedLine(line, 0, line.size())); }

// The line with its TABs as blanks: the line itself, or its copy in `scratch`.
std::string_view withBlanksForTabs(std::string_view line, std::string& scratch)
{
    if (line.find('\t') == std::string_view::npos)
        return line;
    scratch.assign(line);
    std::replace(scratch.begin(), scratch.end(), '\t', ' ');
    return scratch;
}

// The line of `text` (without its break) that holds the byte at `at`.
std::string_view lineAround(std::string_view text, std::size_t at)
{
    const std::size_t breakBefore = text.find_last_of("\r\n", at);
    const std::size_t start = breakBefore == std::string_view::npos ? 0 : breakBefore + 1;
    const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    return text.substr(start, end - start);
}

} // namespace

void refuseUnloadable(std::string_view text, const std::string& path)
{
    if (text.size() > maximumTextFileSize)
        throw Error("Cannot load " + path + ": it is larger than 1 GiB");
    refuseNonText(text, path);
}

LineCells splitHostsLine(std::string_view line, std::string& scratch)
{
    const std::string_view text = withBlanksForTabs(line, scratch);
    const HostsRows::Row row = rowOfLine(text);
    return {text.substr(row.address.offset, row.address.length), text.substr(row.host.offset, row.host.length)};
}

std::optional<RedirectLine> findRedirectLine(std::string_view markedText)
{
    // Only a line that holds the word can be one: the word is searched, not every line read.
    const AsciiCaseSearch localhost("localhost");
    const std::string_view text = withoutByteOrderMark(markedText);
    std::optional<RedirectLine> found;
    std::string scratch;
    for (std::size_t at = 0; (at = localhost.find(text, at)) != std::string_view::npos;) {
        const std::string_view line = lineAround(text, at);
        const std::string_view normalised = withBlanksForTabs(line, scratch);
        if (auto redirect = redirectLineOf(normalised, rowOfLine(normalised)))
            found = std::move(redirect);
        at = static_cast<std::size_t>(line.data() - text.data()) + line.size();
    }
    return found;
}

std::size_t countHostsFileRows(const std::string& path)
{
    const std::string text = readWholeFile(path);
    refuseUnloadable(text, path);
    return std::max<std::size_t>(1, countLines(withoutByteOrderMark(text)));
}

LoadedHosts parseHostsText(std::string text, const std::string& path, const Progress& progress)
{
    refuseUnloadable(text, path);
    const bool hasBom = std::string_view(text).starts_with(utf8ByteOrderMark);
    const std::size_t textStart = hasBom ? utf8ByteOrderMark.size() : 0;
    const std::size_t lineCount = countLines(std::string_view(text).substr(textStart));
    try {
        return splitIntoRows(std::move(text), textStart, lineCount, progress);
    } catch (const std::bad_alloc&) {
        throw Error("Not enough memory to load " + path + " (" + std::to_string(lineCount) + " lines)");
    }
}

LoadedHosts loadHostsFile(const std::string& path, const Progress& progress)
{
    return parseHostsText(readWholeFile(path), path, progress);
}

} // namespace vendrel

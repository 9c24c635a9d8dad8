#include "core/hosts/hosts_loader.h"

#include "core/error.h"
#include "core/hosts/system_lines.h"
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

// One trimmed line whose TABs are blanks: the first word and the trimmed rest.
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
    return {
        Span{line.offset, static_cast<std::uint32_t>(blank)},
        Span{static_cast<std::uint32_t>(line.offset + restStart), static_cast<std::uint32_t>(view.size() - restStart)}};
}

// The address and the whole line of a row whose host cell is "localhost" in
// any case; the cells view one buffer, the host after the address. An IPv6
// line ("::1 localhost", which many Linux files end their localhost lines
// with) names no blocking address and is passed over.
std::optional<RedirectLine> redirectLineOf(std::string_view address, std::string_view host)
{
    if (!equalsIgnoringAsciiCase(host, "localhost") || isIpv6Address(address))
        return std::nullopt;
    const auto lineLength = static_cast<std::size_t>(host.data() - address.data()) + host.size();
    return RedirectLine{std::string(address), std::string(address.data(), lineLength)};
}

// The last row whose host cell is "localhost" in any case, with its line.
std::optional<RedirectLine> lastRedirectRow(const HostsRows& rows, const Progress& progress)
{
    progress.start(populatingCaption, rows.size());
    std::optional<RedirectLine> found;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        // A loaded row's host lies after its address in the file's bytes.
        if (auto redirect = redirectLineOf(rows.address(row), rows.host(row)))
            found = std::move(redirect);
        progress.step(row + 1);
    }
    return found;
}

LoadedHosts splitIntoRows(std::string text, std::size_t textStart, std::size_t lineCount, const Progress& progress)
{
    // No line break is a TAB, so every TAB of the text becomes a blank at once.
    std::replace(text.begin() + static_cast<std::ptrdiff_t>(textStart), text.end(), '\t', ' ');
    progress.start(processingCaption, lineCount);
    LoadedHosts loaded;
    loaded.rows = HostsRows(std::move(text), lineCount + spareRows, [&](std::string_view bytes, const auto& add) {
        std::size_t index = 0;
        forEachLine(bytes.substr(textStart), [&](std::string_view line) {
            const auto begin = static_cast<std::size_t>(line.data() - bytes.data());
            add(splitLine(bytes, trimmedLine(bytes, begin, begin + line.size())));
            progress.step(++index);
        });
    });
    loaded.rows.setUtf8ByteOrderMark(textStart > 0);
    if (auto redirect = lastRedirectRow(loaded.rows, progress)) {
        loaded.redirectAddress = std::move(redirect->address);
        loaded.redirectLine = std::move(redirect->line);
    }
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
        const LineCells cells = splitHostsLine(line, scratch);
        if (auto redirect = redirectLineOf(cells.address, cells.host))
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

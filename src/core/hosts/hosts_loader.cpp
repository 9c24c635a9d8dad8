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

// First pass over one line: TABs become blanks in place; the result is the
// line without leading and trailing characters of code 32 or less.
Span normaliseLine(std::string& text, std::size_t begin, std::size_t end)
{
    std::replace(text.begin() + static_cast<std::ptrdiff_t>(begin),
                 text.begin() + static_cast<std::ptrdiff_t>(end), '\t', ' ');
    while (begin < end && isSpaceOrControl(text[begin]))
        ++begin;
    while (end > begin && isSpaceOrControl(text[end - 1]))
        --end;
    return Span{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end - begin)};
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
        const std::string_view host(text.data() + row.host.offset, row.host.length);
        if (equalsIgnoringAsciiCase(host, "localhost")) {
            loaded.redirectAddress = std::string(text.data() + row.address.offset, row.address.length);
            loaded.redirectLine.assign(text.data() + row.address.offset,
                                       row.host.offset + row.host.length - row.address.offset);
        }
    }
    loaded.rows = HostsRows(std::move(text), std::move(rows));
    loaded.rows.setUtf8ByteOrderMark(textStart > 0);
    return loaded;
}

} // namespace

LoadedHosts parseHostsText(std::string text, const std::string& path, const Progress& progress)
{
    if (text.size() > maximumTextFileSize)
        throw Error("Cannot load " + path + ": it is larger than 1 GiB");
    refuseNonText(text, path);
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

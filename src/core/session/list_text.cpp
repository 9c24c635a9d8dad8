#include "core/session/list_text.h"

#include "core/history/line_edit.h"
#include "core/history/version_file.h"
#include "core/hosts/line_ends.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <cstring>

namespace vendrel {
namespace {

bool holds(std::string_view text, char c) { return std::memchr(text.data(), c, text.size()) != nullptr; }

// Whether the loader makes of `line` (without its break) the row whose
// line, written as the list writes it, is `line` again: a TAB between the
// cells and nowhere else, no CR, nothing the loader trims, no blank in the
// address, and, when one cell is empty, a line the loader splits the same
// (a lone "#" is an address).
bool isListLine(std::string_view line)
{
    const char* tab = static_cast<const char*>(std::memchr(line.data(), '\t', line.size()));
    if (!tab || holds(line, '\r'))
        return false;
    const std::string_view address = line.substr(0, static_cast<std::size_t>(tab - line.data()));
    const std::string_view host = line.substr(address.size() + 1);
    if (holds(host, '\t'))
        return false;
    const bool hostTrimmed = host.empty() || (!isSpaceOrControl(host.front()) && !isSpaceOrControl(host.back()));
    if (address.empty())
        return hostTrimmed && !holds(host, ' ') && host != "#";
    if (isSpaceOrControl(address.front()) || holds(address, ' '))
        return false;
    return host.empty() ? address == "#" : hostTrimmed;
}

// The number of lines of `text` when every one is a list line ended by `lineBreak`.
std::optional<std::size_t> listLineCount(std::string_view text, std::string_view lineBreak)
{
    if (text.empty() || text.starts_with(utf8ByteOrderMark))
        return std::nullopt;
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) {
        const void* found = std::memchr(text.data() + at, '\n', text.size() - at);
        if (!found)
            return std::nullopt;
        const auto next = static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) + 1;
        if (next - at < lineBreak.size() || text.substr(next - lineBreak.size(), lineBreak.size()) != lineBreak ||
            !isListLine(text.substr(at, next - lineBreak.size() - at)))
            return std::nullopt;
        at = next;
    }
    return count;
}

} // namespace

std::optional<ListText> ListText::of(CurrentFile file)
{
    const std::string_view lineBreak = lineBreakOf(file.bytes, crLf);
    const std::optional<std::size_t> rows = listLineCount(file.bytes, lineBreak);
    if (!rows)
        return std::nullopt;
    return ListText(std::move(file), *rows, lineBreak);
}

ListRow ListText::row(std::size_t row) const
{
    const std::string_view text = file_.bytes;
    const std::size_t start = lineStart(text, row).value_or(text.size());
    const std::size_t end = lineStart(text, row + 1).value_or(text.size());
    const std::string_view line = text.substr(start, end - start - std::min(end - start, lineBreak_.size()));
    const std::size_t tab = line.find('\t');
    return {std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
}

std::optional<PlannedChange> ListText::replaceRows(const std::string& path, std::string command,
                                                   const RowsReplacement& replacement)
{
    std::string lines;
    for (const ListRow& row : replacement.rows)
        appendListLine(lines, row.address, row.host, lineBreak_);
    if (!areListLines(lines, replacement.rows.size(), lineBreak_) || replacement.first > rows_ ||
        replacement.removed > rows_ - replacement.first)
        return std::nullopt;
    return planSplice(path, std::move(command), std::move(file_),
                      LineSplice{replacement.first, replacement.removed, std::move(lines)});
}

std::optional<PlannedChange> planSplice(const std::string& path, std::string command, CurrentFile file,
                                        LineSplice splice)
{
    const std::string_view text = file.bytes;
    const std::optional<std::size_t> from = lineStart(text, splice.first);
    const std::optional<std::size_t> length = from ? lineStart(text.substr(*from), splice.removed) : std::nullopt;
    if (!length)
        return std::nullopt;
    PlannedChange change;
    change.afterFingerprint = contentHashOfSplice(text, file.basis.fingerprint, *from, *from + *length, splice.lines);
    LineEdit edit{{std::move(splice)}};
    std::optional<std::string> after = applyLineEdit(std::move(file.bytes), edit);
    if (!after)
        return std::nullopt;
    change.path = path;
    change.command = std::move(command);
    change.basis = std::move(file.basis);
    change.after = std::move(*after);
    change.edit = std::move(edit);
    return change;
}

bool areListLines(std::string_view lines, std::size_t count, std::string_view lineBreak)
{
    std::size_t found = 0;
    for (std::size_t at = 0; at < lines.size(); ++found) {
        const std::size_t end = lines.find('\n', at);
        if (end == std::string_view::npos || end + 1 - at < lineBreak.size() ||
            lines.substr(end + 1 - lineBreak.size(), lineBreak.size()) != lineBreak ||
            holds(lines.substr(at, end + 1 - lineBreak.size() - at), '\r'))
            return false;
        at = end + 1;
    }
    return found == count;
}

} // namespace vendrel

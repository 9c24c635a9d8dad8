#include "core/bulk/file_sort.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/sort_lines.h"
#include "core/bulk/sort_order.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vendrel {
namespace {

constexpr std::size_t commentLength = 500;

// The text a blocking entry leaves once its address is cut: the address's
// first digit ("1" or "0") is searched anywhere in the text, and `cut`
// characters from there go, as the entry format has always done.
bool cutAddress(std::string& text, std::string_view address, char firstDigit, std::size_t cut)
{
    if (text.find(address) == std::string::npos)
        return false;
    text.erase(text.find(firstDigit), cut);
    return true;
}

// The host part of a comment-free line whose address starts the line: the
// text after the cut, which needs no copy. Nothing when text stands before
// the address digit, which the copying path handles.
std::optional<std::string_view> hostWithoutCopy(std::string_view line, char firstDigit, std::size_t cut)
{
    const std::size_t digit = line.find(firstDigit);
    if (!trimSpaceAndControls(line.substr(0, digit)).empty())
        return std::nullopt;
    return trimSpaceAndControls(digit + cut < line.size() ? line.substr(digit + cut) : std::string_view());
}

// Reads one line: true for a blocking entry, whose host part is then left in
// `host` (a view of the line, or of `text` when the line had to be edited);
// otherwise `keep` tells whether the line stays unchanged.
bool classifyLine(std::string_view line, std::string& text, std::string_view& host, bool& keep)
{
    keep = false;
    static const AsciiCaseSearch localhost("localhost");
    if (localhost.find(line) != std::string_view::npos)
        return false;
    if (line.find('#') == std::string_view::npos) {
        // Most lines: no comment, the address first.
        const bool loopback = line.find(loopbackAddress) != std::string_view::npos;
        if (loopback || line.find(nullRouteAddress) != std::string_view::npos) {
            if (const auto plain = loopback ? hostWithoutCopy(line, '1', 10) : hostWithoutCopy(line, '0', 8)) {
                host = *plain;
                return true;
            }
        }
    }
    text.assign(line);
    if (const std::size_t hash = text.find('#'); hash != std::string::npos)
        text.erase(hash, commentLength);
    if (cutAddress(text, loopbackAddress, '1', 10) || cutAddress(text, nullRouteAddress, '0', 8)) {
        host = trimSpaceAndControls(text);
        return true;
    }
    keep = !trimSpaceAndControls(text).empty();
    return false;
}

// What a sort keeps of a text: the system's own lines as written, and the
// lines bound for the sorted part.
struct KeptLines {
    SystemBlock system;
    SortLines sorted;
};

// The lines of `text` bound for the result, each line as `read(line)` gives
// it; a system line stays as written.
template <typename ReadLine>
KeptLines keptLines(std::string_view text, std::string_view address, const SystemLines& systemLines,
                    const Progress& progress, ReadLine&& read)
{
    const auto count = static_cast<std::uint32_t>(countLines(text));
    progress.start(sortingCaption, count);
    KeptLines kept{SystemBlock(), SortLines(std::string(address) + '\t', count, text.size())};
    std::string scratch;
    std::uint32_t index = 0;
    forEachLine(text, [&](std::string_view line) {
        bool keep = false;
        std::string_view host;
        if (systemLines.isSystemLine(line)) {
            kept.system.add(line);
        } else {
            const std::string_view seen = read(line);
            if (classifyLine(seen, scratch, host, keep))
                kept.sorted.add(host, true);
            else if (keep)
                kept.sorted.add(seen, false);
        }
        progress.step(index++);
    });
    return kept;
}

std::string_view asWritten(std::string_view line) { return line; }

// Reads each line as the list shows it: its two cells joined by a TAB.
class AsListLine {
public:
    std::string_view operator()(std::string_view line)
    {
        const LineCells cells = splitHostsLine(line, blanked_);
        joined_.assign(cells.address).append(1, '\t').append(cells.host);
        return joined_;
    }

private:
    std::string blanked_;
    std::string joined_;
};

// Sorts the lines `read` makes of `markedText`; `textDone` is told once the
// lines hold copies of what they need, so that the text can go before the sort needs memory.
template <typename ReadLine>
std::string sortAndLetGo(std::string_view markedText, std::string_view redirectAddress, const SystemLines& systemLines,
                         const Progress& progress, ReadLine&& read, const std::function<void()>& textDone)
{
    // A byte-order mark belongs in front of the file, not to its first line.
    const std::string_view text = withoutByteOrderMark(markedText);
    const bool byteOrderMark = text.size() != markedText.size();
    const std::string_view address = sortAddressFor(redirectAddress);
    const KeptLines kept = keptLines(text, address, systemLines, progress, read);
    if (textDone)
        textDone();
    return sortedText(kept.sorted, address, byteOrderMark, linesBeforeHeader(kept.system, address, systemLines));
}

} // namespace

std::string sortHostsText(std::string markedText, std::string_view redirectAddress, const Progress& progress,
                          const SystemLines& systemLines)
{
    return sortAndLetGo(markedText, redirectAddress, systemLines, progress, asWritten,
                        [&markedText] { std::string().swap(markedText); });
}

std::string sortHostsFileText(std::string_view fileText, std::string_view redirectAddress, const Progress& progress,
                              const std::function<void()>& textDone, const SystemLines& systemLines)
{
    return sortAndLetGo(fileText, redirectAddress, systemLines, progress, AsListLine(), textDone);
}

} // namespace vendrel

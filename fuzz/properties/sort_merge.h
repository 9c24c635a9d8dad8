#pragma once

#include "properties/violation.h"

#include "core/bulk/address_words.h"
#include "core/bulk/blocking_address.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/error.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/system_lines.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"
#include "platform/text_case.h"

#include <unicode/uloc.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Merging a file into hosts text and sorting the result: both give text in
// which every line ends in CR LF; the merge leaves none of the other blocking
// address as a whole word outside the system's own lines; the sort writes
// the system lines of its input, once each, its localhost header and one empty line, then
// entries and unchanged input lines, in locale order without case duplicates;
// and sorting the sorted text again gives it back unchanged, except where an
// entry still holds something the sort acts on (see secondSortChanges). The
// hosts text sorted as a file gives what its loaded rows give (fileSortFault).
//
// The input is one byte choosing the redirect address and the collating
// locale, the hosts text, a NUL byte and the text to merge. Hosts files never
// hold NUL bytes (they are refused on reading), so there is only one.
namespace fuzz_properties {

struct SortMergeInput {
    std::string_view redirectAddress;
    const char* locale;
    std::string_view hostsText;
    std::string_view mergeText;
};

inline std::optional<SortMergeInput> splitSortMergeInput(std::string_view input)
{
    static constexpr std::array<std::string_view, 5> redirectAddresses = {"127.0.0.1", "0.0.0.0", "", "::1",
                                                                          "#0.0.0.0"};
    if (input.empty())
        return std::nullopt;
    const auto choice = static_cast<unsigned char>(input.front());
    input.remove_prefix(1);
    const std::size_t separator = input.find('\0');
    SortMergeInput split{redirectAddresses[(choice & 0x7F) % redirectAddresses.size()],
                         (choice & 0x80) ? "en_US" : "en_US_POSIX", input.substr(0, separator),
                         separator == std::string_view::npos ? std::string_view() : input.substr(separator + 1)};
    if (split.mergeText.find('\0') != std::string_view::npos)
        return std::nullopt;
    return split;
}

// Sets ICU's default locale, which the sort collates in, for a while.
class DefaultLocale {
public:
    explicit DefaultLocale(const char* locale) : saved_(uloc_getDefault()) { set(locale); }
    ~DefaultLocale() { set(saved_.c_str()); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    static void set(const char* locale)
    {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault(locale, &status);
    }
    std::string saved_;
};

// Every line ends in CR LF: no lone CR or LF, no unfinished last line, no NUL.
inline Violation lineBreakFault(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return "holds a NUL byte";
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'))
            return "lone CR at byte " + std::to_string(at);
        if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r'))
            return "lone LF at byte " + std::to_string(at);
    }
    if (!text.empty() && !text.ends_with("\r\n"))
        return std::string("the last line has no CR LF");
    return {};
}

inline Violation mergeFault(const SortMergeInput& in, std::string_view merged)
{
    if (Violation fault = lineBreakFault(merged))
        return "merge: " + *fault;
    const std::size_t lines = vendrel::countLines(in.hostsText) +
                              vendrel::countLines(vendrel::withoutByteOrderMark(in.mergeText));
    if (vendrel::countLines(merged) != lines)
        return "merge: " + std::to_string(vendrel::countLines(merged)) + " lines instead of " + std::to_string(lines);
    const auto other = vendrel::otherBlockingAddress(in.redirectAddress);
    if (!other)
        return {};
    const vendrel::SystemLines systemLines;
    for (const std::string_view line : vendrel::splitLines(merged))
        if (vendrel::holdsAddressAsWord(line, *other) && !systemLines.isSystemLine(line))
            return "merge: " + std::string(*other) + " is left in " + shown(line);
    return {};
}

// The lines after the header and its empty line: each an entry or a line of
// the input as it stood; in the order of their locale keys, lines with equal
// keys in byte order; no two equal but for letter case.
inline Violation bodyFault(const std::vector<std::string_view>& body, std::string_view input,
                           std::string_view entryPrefix)
{
    const std::vector<std::string_view> inputLines = vendrel::splitLines(input);
    const std::unordered_set<std::string_view> inputLineSet(inputLines.begin(), inputLines.end());
    platform::LocaleSortKeys collator;
    std::vector<std::string> keys(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        const std::string where = "sort: line " + std::to_string(i + 3) + " " + shown(body[i]);
        if (!body[i].starts_with(entryPrefix) && !inputLineSet.contains(body[i]))
            return where + " is neither an entry nor a line of the input";
        collator.append(body[i], keys[i]);
        if (i == 0 || keys[i] > keys[i - 1])
            continue;
        if (keys[i] < keys[i - 1])
            return where + " sorts before the line above it";
        if (body[i] <= body[i - 1])
            return where + " collates equal to the line above it but is not after it in byte order";
        for (std::size_t same = i; same > 0 && keys[same - 1] == keys[i]; --same)
            if (platform::equalIgnoringCase(body[same - 1], body[i]))
                return where + " differs only in letter case from " + shown(body[same - 1]);
    }
    return {};
}

inline Violation sortedTextFault(std::string_view sorted, std::string_view input, std::string_view address)
{
    if (Violation fault = lineBreakFault(sorted))
        return "sort: " + *fault;
    if (sorted.starts_with(vendrel::utf8ByteOrderMark) != input.starts_with(vendrel::utf8ByteOrderMark))
        return std::string("sort: the byte-order mark in front of the text was not kept in front");
    sorted = vendrel::withoutByteOrderMark(sorted);
    input = vendrel::withoutByteOrderMark(input);
    const std::vector<std::string_view> lines = vendrel::splitLines(sorted);
    const vendrel::SystemLines systemLines;
    const vendrel::SystemBlock expectedSystem = vendrel::systemLinesOf(input, systemLines);
    const std::size_t headerLine = expectedSystem.lines().size();
    for (std::size_t i = 0; i < headerLine; ++i)
        if (i >= lines.size() || lines[i] != expectedSystem.lines()[i])
            return "sort: line " + std::to_string(i + 1) + " is not the system line " +
                   shown(expectedSystem.lines()[i]);
    const std::string header = std::string(address) + "\tlocalhost";
    if (lines.size() <= headerLine || lines[headerLine] != header)
        return "sort: the line after the system lines is not " + shown(header);
    if (lines.size() == headerLine + 1)
        return {};
    if (!lines[headerLine + 1].empty())
        return std::string("sort: no empty line after the header");
    const std::vector<std::string_view> body(lines.begin() + static_cast<std::ptrdiff_t>(headerLine) + 2, lines.end());
    return bodyFault(body, input, std::string(address) + '\t');
}

// An entry that a second sort changes, as the first sort changes any line
// that holds these: a "#" in its host part (left when a comment runs past the
// 500 characters the sort cuts from it), "localhost" (which cutting the
// address out can join from the text on either side of it), or, when the
// address is 0.0.0.0, "127.0.0.1" in its host part: that address is looked
// for first and cut from the first "1" of the line, inside the host part.
inline bool secondSortChanges(std::string_view line, std::string_view address)
{
    if (!line.starts_with(address) || line.size() <= address.size() || line[address.size()] != '\t')
        return false;
    const std::string_view host = line.substr(address.size() + 1);
    return host.find('#') != std::string_view::npos || vendrel::containsIgnoringAsciiCase(host, "localhost") ||
           (address == vendrel::nullRouteAddress && host.find(vendrel::loopbackAddress) != std::string_view::npos);
}

// Every line of `text` as the list shows it once loaded: its two cells joined by a TAB.
inline std::string listFormOf(std::string_view text)
{
    std::string form;
    std::string scratch;
    for (const std::string_view line : vendrel::splitLines(vendrel::withoutByteOrderMark(text))) {
        const vendrel::LineCells cells = vendrel::splitHostsLine(line, scratch);
        form.append(cells.address).append(1, '\t').append(cells.host).append("\r\n");
    }
    return form;
}

// Sorting a hosts file straight from its text gives what sorting the saved
// list of its loaded rows gives, but for the system lines, which the one
// keeps as written and the other as the list wrote them; and it finds the
// redirect line the load finds.
inline Violation fileSortFault(const SortMergeInput& in)
{
    std::optional<vendrel::LoadedHosts> loaded;
    try {
        loaded = vendrel::parseHostsText(std::string(in.hostsText), "fuzzed hosts");
    } catch (const vendrel::Error&) {
        return {}; // text a load refuses is never sorted from a file
    }
    const std::optional<vendrel::RedirectLine> redirect = vendrel::findRedirectLine(in.hostsText);
    if (redirect.has_value() != loaded->redirectAddress.has_value() ||
        (redirect && (redirect->address != *loaded->redirectAddress || redirect->line != loaded->redirectLine)))
        return std::string("file sort: the redirect line found differs from the loaded one");
    const std::string fromRows = vendrel::sortHostsText(vendrel::formatList(loaded->rows), in.redirectAddress);
    const std::string fromText = vendrel::sortHostsFileText(std::string(in.hostsText), in.redirectAddress);
    if (listFormOf(fromText) != listFormOf(fromRows))
        return "file sort: " + shown(fromText) + " instead of the rows' " + shown(fromRows);
    return {};
}

inline Violation sortMerge(std::string_view input)
{
    const std::optional<SortMergeInput> in = splitSortMergeInput(input);
    if (!in)
        return {};
    const DefaultLocale locale(in->locale);
    if (Violation fault = fileSortFault(*in))
        return fault;
    const std::string merged = vendrel::mergeHostsText(in->hostsText, in->mergeText, in->redirectAddress);
    if (Violation fault = mergeFault(*in, merged))
        return fault;

    const std::string_view address = vendrel::sortAddressFor(in->redirectAddress);
    const std::string sorted = vendrel::sortHostsText(merged, in->redirectAddress);
    if (Violation fault = sortedTextFault(sorted, merged, address))
        return fault;
    const std::vector<std::string_view> lines = vendrel::splitLines(sorted);
    for (const std::string_view line : lines) // the header does not start with the address and a TAB
        if (line != std::string(address) + "\tlocalhost" && secondSortChanges(line, address))
            return {};
    const std::string again = vendrel::sortHostsText(sorted, in->redirectAddress);
    if (again != sorted)
        return "sort: sorting again changes " + shown(sorted) + " into " + shown(again);
    return {};
}

} // namespace fuzz_properties

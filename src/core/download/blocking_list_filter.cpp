#include "core/download/blocking_list_filter.h"

#include "core/bulk/blocking_address.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <algorithm>
#include <vector>

namespace vendrel {
namespace {

bool isLabelByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

bool isLabel(std::string_view label)
{
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
        return false;
    for (const char c : label)
        if (!isLabelByte(c))
            return false;
    return true;
}

bool allDigits(std::string_view text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::vector<std::string_view> wordsBeforeComment(std::string_view line)
{
    std::vector<std::string_view> words;
    forEachWord(line.substr(0, line.find('#')), [&words](std::string_view word) { words.push_back(word); });
    return words;
}

std::string comparableName(std::string_view name)
{
    if (name.ends_with('.'))
        name.remove_suffix(1);
    return asciiLowerCopy(name);
}

namespace {

// Whether `name` may be blocked: a DNS name, not localhost, not the machine's.
bool isBlockableName(std::string_view name, std::string_view address, const SystemLines& systemLines)
{
    return isDnsName(name) && !equalsIgnoringAsciiCase(name, "localhost") &&
           !equalsIgnoringAsciiCase(name, "localhost.localdomain") && !systemLines.isSystemEntry(address, name);
}

} // namespace

bool isDnsName(std::string_view name)
{
    if (name.ends_with('.'))
        name.remove_suffix(1);
    if (name.empty() || name.size() > 253)
        return false;
    std::string_view lastLabel;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find('.', start), name.size());
        lastLabel = name.substr(start, end - start);
        if (!isLabel(lastLabel))
            return false;
        start = end + 1;
    }
    return !allDigits(lastLabel);
}

namespace {

// Calls `take` with every blockable name of the list, in list order, and
// returns how many lines held something else.
template <typename Take>
std::size_t forEachBlockableName(std::string_view listText, std::string_view address, const SystemLines& systemLines,
                                 Take&& take)
{
    std::size_t leftOutLines = 0;
    forEachLine(withoutByteOrderMark(listText), [&](std::string_view line) {
        std::vector<std::string_view> words = wordsBeforeComment(line);
        if (words.empty())
            return;
        const bool hostsFormat = words.size() > 1 || isBlockingAddress(words.front());
        if (hostsFormat && !isBlockingAddress(words.front())) {
            ++leftOutLines;
            return;
        }
        const std::size_t firstName = hostsFormat ? 1 : 0;
        // A line counts as left out when anything of it was: an address alone too.
        bool leftOut = firstName == words.size();
        for (std::size_t i = firstName; i < words.size(); ++i) {
            if (isBlockableName(words[i], address, systemLines))
                take(words[i]);
            else
                leftOut = true;
        }
        leftOutLines += leftOut ? 1 : 0;
    });
    return leftOutLines;
}

} // namespace

BlockingList blockingEntriesOf(std::string_view listText, std::string_view address, const SystemLines& systemLines)
{
    BlockingList list;
    list.text.reserve(listText.size());
    list.leftOut = forEachBlockableName(listText, address, systemLines, [&](std::string_view name) {
        list.text.append(address).append(1, ' ').append(name).append("\r\n");
    });
    return list;
}

BlockingNames blockingNamesOf(std::string_view listText, std::string_view address, const SystemLines& systemLines)
{
    BlockingNames list;
    list.leftOut = forEachBlockableName(listText, address, systemLines,
                                        [&](std::string_view name) { list.names.push_back(comparableName(name)); });
    std::sort(list.names.begin(), list.names.end());
    list.names.erase(std::unique(list.names.begin(), list.names.end()), list.names.end());
    return list;
}

std::string leftOutNote(std::size_t leftOut, std::string_view listName)
{
    return std::to_string(leftOut) + (leftOut == 1 ? " line of list " : " lines of list ") + std::string(listName) +
           (leftOut == 1 ? " was not a blocking entry and was left out."
                         : " were not blocking entries and were left out.");
}

} // namespace vendrel

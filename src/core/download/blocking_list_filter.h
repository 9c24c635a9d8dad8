#pragma once

#include "core/hosts/system_lines.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// What a list that arrived from elsewhere gives the hosts file: only
// blocking entries, "<address> <name>" for each valid host name, and how
// many of its lines held something else and were left out.
struct BlockingList {
    std::string text;
    std::size_t leftOut = 0;
};

// The blocking entries of a downloaded list, whatever it says: a line in the
// hosts format gives its names when its address is 127.0.0.1 or 0.0.0.0, a
// line of one word gives that domain; every name must be a DNS name (see
// isDnsName), and neither "localhost" nor a name of the system's own. Every
// other line with content (another address, an invalid name, a redirect of
// any kind) counts as left out; comments and blank lines do not.
BlockingList blockingEntriesOf(std::string_view listText, std::string_view address, const SystemLines& systemLines);

// The names a list blocks, as blockingEntriesOf takes them: in lower case,
// without a final dot, sorted and each once.
struct BlockingNames {
    std::vector<std::string> names;
    std::size_t leftOut = 0;
};
BlockingNames blockingNamesOf(std::string_view listText, std::string_view address, const SystemLines& systemLines);

// Whether `name` is a DNS host name in its ASCII form: labels of letters,
// digits and hyphens (not at either end), 1 to 63 bytes each, 253 in all,
// not all digits in its last label (an IPv4 address is no name).
bool isDnsName(std::string_view name);

// Calls `visit(word)` for each word of `text`, split at blanks and controls.
template <typename Visit>
void forEachWord(std::string_view text, Visit&& visit)
{
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && static_cast<unsigned char>(text[at]) <= 32)
            ++at;
        const std::size_t start = at;
        while (at < text.size() && static_cast<unsigned char>(text[at]) > 32)
            ++at;
        if (at > start)
            visit(text.substr(start, at - start));
    }
}

// The words of a hosts line before its comment (#), split at blanks and controls.
std::vector<std::string_view> wordsBeforeComment(std::string_view line);

// A host name in the form names are compared in: lower case, without a final dot.
std::string comparableName(std::string_view name);

// "12 lines of list NAME were not blocking entries and were left out."
std::string leftOutNote(std::size_t leftOut, std::string_view listName);

} // namespace vendrel

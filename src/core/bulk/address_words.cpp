#include "core/bulk/address_words.h"

#include "core/text/ascii_text.h"

namespace vendrel {
namespace {

// Whether `c` may stand next to an address inside a longer address or name.
bool continuesAWord(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == ':' ||
           c == '-' || c == '_';
}

// The first whole-word `address` in `line` from `from` on, or npos.
std::size_t findAddressWord(std::string_view line, std::string_view address, std::size_t from)
{
    for (std::size_t at = line.find(address, from); at != std::string_view::npos; at = line.find(address, at + 1)) {
        const std::size_t end = at + address.size();
        if ((at == 0 || !continuesAWord(line[at - 1])) && (end == line.size() || !continuesAWord(line[end])))
            return at;
    }
    return std::string_view::npos;
}

} // namespace

bool holdsAddressAsWord(std::string_view line, std::string_view address)
{
    return findAddressWord(line, address, 0) != std::string_view::npos;
}

void appendReplacingAddress(std::string& out, std::string_view line, std::string_view from, std::string_view to)
{
    std::size_t start = 0;
    if (!from.empty())
        for (std::size_t found = findAddressWord(line, from, 0); found != std::string_view::npos;
             found = findAddressWord(line, from, start)) {
            out.append(line.substr(start, found - start)).append(to);
            start = found + from.size();
        }
    out.append(line.substr(start));
}

bool beginsWithAddress(std::string_view line, std::string_view address)
{
    std::size_t start = 0;
    while (start < line.size() && isSpaceOrControl(line[start]))
        ++start;
    line.remove_prefix(start);
    return line.starts_with(address) && (line.size() == address.size() || isSpaceOrControl(line[address.size()]));
}

} // namespace vendrel

#include "core/sources/allow_list.h"

#include "core/download/blocking_list_filter.h"
#include "core/text/ascii_text.h"

namespace vendrel {
namespace {

std::string lowerName(std::string_view text) { return comparableName(trimSpaceAndControls(text)); }

} // namespace

AllowList::AllowList(const std::vector<std::string>& whitelistLines)
{
    for (const std::string& line : whitelistLines) {
        const std::string name = lowerName(line);
        if (name.starts_with("*.") && isDnsName(name.substr(2)))
            domains_.insert(name.substr(2));
        else if (isDnsName(name))
            names_.insert(name);
    }
}

bool AllowList::allows(std::string_view name) const
{
    if (names_.contains(std::string(name)))
        return true;
    for (std::string_view rest = name; !domains_.empty();) {
        if (domains_.contains(std::string(rest)))
            return true;
        const std::size_t dot = rest.find('.');
        if (dot == std::string_view::npos)
            return false;
        rest.remove_prefix(dot + 1);
    }
    return false;
}

} // namespace vendrel

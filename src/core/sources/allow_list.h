#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vendrel {

// The whitelist as an update applies it to what sources give: a line that
// is a host name lets that name through, a line "*.example.com" lets
// example.com and every name below it through. Letter case does not count,
// as it does not in DNS; lines of any other kind let nothing through.
class AllowList {
public:
    explicit AllowList(const std::vector<std::string>& whitelistLines);

    bool allows(std::string_view lowerCaseName) const;
    bool empty() const { return names_.empty() && domains_.empty(); }

private:
    std::unordered_set<std::string> names_;
    std::unordered_set<std::string> domains_;
};

} // namespace vendrel

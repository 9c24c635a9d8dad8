#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// The identifiers of an os-release text: its ID, then the words of its
// ID_LIKE, quotes removed; empty when it names none.
std::vector<std::string> osReleaseIdentifiers(std::string_view osRelease);

// The identifiers of the running distribution, from /etc/os-release or, where
// that is missing, /usr/lib/os-release; empty when neither can be read.
std::vector<std::string> distributionIdentifiers();

} // namespace platform::posix

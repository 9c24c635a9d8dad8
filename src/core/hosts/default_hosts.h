#pragma once

#include "platform/platform.h"

#include <string>
#include <vector>

namespace vendrel {

// The Windows stock sample hosts file: 18 comment lines and the localhost
// entry "127.0.0.1 localhost".
const std::vector<std::string>& defaultHostsLines();

// The default hosts file of the system `style` describes, its line break
// after every line: on Windows the sample file above; on Linux the
// distribution's own (the first of its identifiers this program knows, a
// Debian-like file for any other), with the machine's name on the 127.0.1.1
// line where the distribution has that line and the name is known.
std::string defaultHostsText(const platform::HostsFileStyle& style = {});

// Which default hosts file defaultHostsText writes for `style`, for a reader:
// "the Windows sample hosts file", or "the default hosts file of Debian, its
// 127.0.1.1 line naming this machine NAME".
std::string defaultHostsDescription(const platform::HostsFileStyle& style);

} // namespace vendrel

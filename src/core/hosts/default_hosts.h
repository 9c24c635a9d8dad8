#pragma once

#include <string>
#include <vector>

namespace vendrel {

// The operating system's stock sample hosts file: 18 comment lines and the
// localhost entry "127.0.0.1 localhost".
const std::vector<std::string>& defaultHostsLines();

// The default text, CR LF after every line.
std::string defaultHostsText();

} // namespace vendrel

#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// Empties the hosts caches of the name services that run here:
// systemd-resolved (FlushCaches over the system bus, asked only when it
// holds its bus name, without an authorisation prompt) and nscd (its
// hosts table invalidated, where its socket is). The names of those that
// did, as "systemd-resolved" and "nscd".
std::vector<std::string> flushNameCaches();

} // namespace platform::posix

#pragma once

#include "core/history/hosts_history.h"
#include "core/hosts/hosts_file_access.h"
#include "platform/privileged_writer.h"

#include <optional>
#include <string>

namespace vendrel {

// Settles what a rewrite in place of the hosts file at `path`, interrupted
// by a kill or a power cut, left beside it, under the file's lock: the
// rewrite is finished when the file is provably its unfinished work;
// otherwise the file is left as it is and the text that rewrite was writing
// is kept as a version in `history`, when there is one (the record stays
// where there is none). A record this user may not read, left by the
// administrator's helper, is settled by that helper through `privileged`,
// when given. Returns what was done, for the user, or nothing when nothing
// was left. Throws Error when the record cannot be read or the rewrite
// cannot be finished.
std::optional<std::string> settleInterruptedWrite(const std::string& path, std::optional<HostsHistory> history,
                                                  Locking locking, platform::PrivilegedWriter* privileged = nullptr);

} // namespace vendrel

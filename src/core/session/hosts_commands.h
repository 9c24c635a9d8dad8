#pragma once

#include "core/error.h"
#include "core/progress.h"
#include "core/session/hosts_document.h"
#include "core/session/planned_change.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

// A command found nothing it could do; nothing was changed, and the message
// says what it found.
class CommandRefused : public Error {
public:
    using Error::Error;
};

// A command that needs to tell blocking entries from others found that the
// redirect address is no blocking address.
class NoBlockingAddress : public CommandRefused {
public:
    explicit NoBlockingAddress(const std::string& redirectLine);
};

// "Remove All Blocking Entries" found no entry with the redirect address,
// only `otherEntries` that block with the other one.
class NothingToRemove : public CommandRefused {
public:
    NothingToRemove(std::string_view redirectAddress, std::size_t otherEntries);
};

// The commands on the hosts file, as plans: each reads the file and works
// out what it would write, and none writes (ChangeWriter::apply does). What
// they write ends its lines as the file does (the platform's way for a file
// without line breaks) and keeps the file's system lines (SystemLines). A
// plan made from the rows throws ChangedElsewhere when the file is no longer
// in the state the rows stand for; the others build on the file as it is.

// The rows, changed by a line command, as the hosts file. The plan knows
// the lines it replaces (PlannedChange::edit); when the document kept the
// text its last save wrote and one change of a few rows was made since, only
// their lines are written anew.
PlannedChange planSaveRows(HostsDocument& document, std::string command);
// Text typed as the hosts file; throws ChangedElsewhere when the file is no
// longer in the state `shown` (the state the text was opened from), if given.
PlannedChange planSaveText(const HostsDocument& document, std::string text,
                           const std::optional<FileBasis>& shown = std::nullopt);

// Sorts the hosts file made from the rows.
PlannedChange planSort(const HostsDocument& document, const Progress& progress = {});
// What the bytes a whole-file sort read become once they are sorted.
enum class BytesBefore { Kept, GivenUp };
// What load() then planSort() work out, straight from the file's text without
// making rows, in less time and memory: for a program that shows no rows.
// With BytesBefore::GivenUp the text goes as soon as it is read, its version
// packed meanwhile into `draftFolder` when one is given.
PlannedChange planSortFile(HostsDocument& document, BytesBefore bytesBefore = BytesBefore::Kept,
                           const std::optional<std::string>& draftFolder = std::nullopt, const Progress& progress = {});
// The change `edit` makes of the file's current bytes, named `command`.
PlannedChange planEdit(const HostsDocument& document, std::string command,
                       const std::function<std::string(std::string_view bytes)>& edit);
// The merge sequence: the file at `path` merged into the hosts file, sorted.
PlannedChange planMerge(const HostsDocument& document, const std::string& path, const Progress& progress = {},
                        std::string command = "Merge File");
// The lines of the file at `path` after the hosts file's (a missing one is
// created), or in its place, the hosts file's system lines that they lack in front.
PlannedChange planAppend(const HostsDocument& document, const std::string& path);
PlannedChange planReplace(const HostsDocument& document, const std::string& path, std::string command = "Replace File");
// Every blocking entry removed; the rows are given up for `rowsMeanwhile`
// empty ones. Throws NoBlockingAddress, changing nothing, when none can be
// told, and NothingToRemove when every entry blocks with the other address.
PlannedChange planRemoveBlocking(HostsDocument& document, const Progress& progress = {}, std::size_t rowsMeanwhile = 1);
// The rows switched to the other blocking address, which becomes the redirect
// address; throws NoBlockingAddress, changing nothing, when there is none.
PlannedChange planSwap(HostsDocument& document);
// The backup's rows at `backupPath` as the hosts file, the hosts file's
// system lines that they lack in front.
PlannedChange planRestoreBackup(const HostsDocument& document, const std::string& backupPath,
                                const Progress& progress = {});
// The operating system's default hosts file (defaultHostsText of the document's style).
PlannedChange planDefaultHosts(const HostsDocument& document);

// The rows whose host is on the whitelist at `whitelistPath` removed.
PlannedChange planRemoveWhitelisted(HostsDocument& document, const std::string& whitelistPath);
// A blocking row for every whitelist entry added, the file sorted; nothing,
// changing nothing, when there is no whitelist.
std::optional<PlannedChange> planAddWhitelisted(HostsDocument& document, const std::string& whitelistPath,
                                                const Progress& progress = {});

} // namespace vendrel

#pragma once

#include "cli/cli_app.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_rows.h"
#include "core/session/change_writer.h"
#include "core/session/hosts_document.h"
#include "core/session/planned_change.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vendrel::cli {

// Commands on the whole list as the editor shows it.
void showCommand(CliContext& context);
void linesCommand(CliContext& context);

// Commands on one line, as the editor's line commands.
void toggleCommand(CliContext& context);
void deleteCommand(CliContext& context);
void addCommand(CliContext& context);

// Whole-file commands, as the editor runs them after OK.
void sortCommand(CliContext& context);
void mergeCommand(CliContext& context);
void appendCommand(CliContext& context);
void replaceCommand(CliContext& context);
void removeBlockingCommand(CliContext& context);
void swapCommand(CliContext& context);
void backupCommand(CliContext& context);
void restoreCommand(CliContext& context);
void restoreDefaultCommand(CliContext& context);
// Which default hosts file restore-default writes on this system.
std::string restoreDefaultDetails(platform::Platform& system);

// Whitelist commands.
void whitelistRemoveCommand(CliContext& context);
void whitelistAddCommand(CliContext& context);
void whitelistLineCommand(CliContext& context);

// The history of the hosts file.
void historyCommand(CliContext& context);
void undoCommand(CliContext& context);
void redoCommand(CliContext& context);
void restoreVersionCommand(CliContext& context);

// Block-list download and the unpacker.
void downloadCommand(CliContext& context);
void unzipCommand(CliContext& context);

// The block-list sources, their update of the hosts file, where an entry
// came from, and the blocking entries in a resolver's form.
void sourcesCommand(CliContext& context);
void updateCommand(CliContext& context);
void whyCommand(CliContext& context);
void exportCommand(CliContext& context);
// Registers the daily update with the system's scheduler (Windows), or says how the system does it.
void installUpdateTask(CliContext& context);

// "2026-12-08 11:35:01", the UTC time of `seconds` since 1970.
std::string utcTime(std::int64_t seconds);
// The value of --max-seconds: a whole number of seconds, 1 or more.
int secondsArgument(const std::string& text);

// The number `text` spells in decimal digits, when it is 1 or more.
std::optional<std::uint64_t> positiveNumber(const std::string& text);

// The row a 1-based line number names; a number outside the list is wrong usage.
std::size_t rowArgument(const std::string& text, std::size_t rowCount);
std::size_t rowArgument(const std::string& text, const HostsRows& rows);

// What one command works with: the hosts file, whose lock the command
// holds, the writer of its changes, and the data folder's files.
struct CliSession {
    HostsDocument document;
    ChangeWriter writer;
    EditorPaths paths;
};
CliSession openSession(const CliContext& context);

// Prints the status line the editor shows for the hosts file as it now is.
void printLineCount(CliContext& context);

// Ends a command that changes the hosts file: with --dry-run prints what
// `change` would do, else writes it (or says the file is unchanged) and
// prints `appliedNote` (if any) and the line count. True when it was applied
// rather than shown.
bool finishChange(CliContext& context, CliSession& session, const PlannedChange& change,
                  const std::string& appliedNote = {});
// The same without the line count.
bool reportChange(CliContext& context, CliSession& session, const PlannedChange& change,
                  const std::string& appliedNote = {});

// Loads the hosts file, plans a change of it with `plan` and finishes it.
template <typename Plan>
void changeLoadedHosts(CliContext& context, Plan&& plan)
{
    CliSession session = openSession(context);
    session.document.load();
    finishChange(context, session, plan(session));
}

// Creates the data folder (--data-dir) when it does not exist yet.
void createDataFolder(const CliContext& context);

} // namespace vendrel::cli

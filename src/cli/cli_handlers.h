#pragma once

#include "cli/cli_app.h"
#include "core/hosts/hosts_rows.h"
#include "core/session/hosts_session.h"

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

// The number `text` spells in decimal digits, when it is 1 or more.
std::optional<std::uint64_t> positiveNumber(const std::string& text);

// The row a 1-based line number names; a number outside the list is wrong usage.
std::size_t rowArgument(const std::string& text, const HostsRows& rows);

// The session of one command on the hosts file, whose lock the command holds.
HostsSession openSession(const CliContext& context);

// Prints the status line the editor shows for the hosts file as it now is.
void printLineCount(CliContext& context);

// Loads the hosts file into a session, runs `command` on it and prints the
// line count of the file it leaves.
template <typename Command>
void runOnLoadedHosts(CliContext& context, Command&& command)
{
    HostsSession session = openSession(context);
    session.load();
    command(session);
    printLineCount(context);
}

// Creates the data folder (--data-dir) when it does not exist yet.
void createDataFolder(const CliContext& context);

} // namespace vendrel::cli

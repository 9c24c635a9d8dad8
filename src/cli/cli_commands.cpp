#include "cli/cli_app.h"
#include "cli/cli_handlers.h"

namespace vendrel::cli {

const std::vector<CliCommand>& commandTable()
{
    static const std::vector<CliCommand> table = {
        {"show", "", "print the hosts file as the editor saves it", 0, 0, showCommand, true, false},
        {"lines", "", "print the line count as the editor's status bar shows it", 0, 0, linesCommand, true, false},
        {"toggle", "N", "comment line N out, or in again", 1, 1, toggleCommand},
        {"delete", "N", "delete line N", 1, 1, deleteCommand},
        {"add", "TEXT", "add TEXT as the last line", 1, 1, addCommand},
        {"sort", "", "normalise, de-duplicate and sort the blocking entries", 0, 0, sortCommand},
        {"merge", "FILE", "merge FILE into the hosts file, then sort", 1, 1, mergeCommand},
        {"append", "FILE", "append the lines of FILE", 1, 1, appendCommand},
        {"replace", "FILE", "replace the hosts file by FILE", 1, 1, replaceCommand},
        {"remove-blocking", "", "remove every line that holds the blocking address", 0, 0, removeBlockingCommand},
        {"swap", "", "switch the blocking address between 127.0.0.1 and 0.0.0.0", 0, 0, swapCommand},
        {"backup", "[--force]", "save the backup (--force overwrites an existing one)", 0, 1, backupCommand, true,
         false},
        {"restore", "", "restore the hosts file from the backup", 0, 0, restoreCommand},
        {"restore-default", "", "write the operating system's default hosts file", 0, 0, restoreDefaultCommand},
        {"whitelist-remove", "", "delete every line whose host is on the whitelist", 0, 0, whitelistRemoveCommand},
        {"whitelist-add", "", "add every whitelisted host back as a blocking entry, then sort", 0, 0,
         whitelistAddCommand},
        {"whitelist-line", "N", "put the host of line N on the whitelist and delete the line", 1, 1,
         whitelistLineCommand},
        {"history", "", "list the versions kept before each change: number, time (UTC), command, lines", 0, 0,
         historyCommand, true, false},
        {"undo", "", "write back the hosts file as it was before the last change", 0, 0, undoCommand},
        {"redo", "", "make the last undone change again", 0, 0, redoCommand},
        {"restore-version", "N", "write back version N of the history", 1, 1, restoreVersionCommand},
        {"download", "mvps|hphosts merge|replace [--url URL] [--max-seconds N] [--quiet]",
         "download a block list and apply it", 2, 7, downloadCommand, false},
        {"unzip", "ARCHIVE MEMBER DIR", "extract MEMBER of a ZIP archive into DIR", 3, 3, unzipCommand, false, false},
    };
    return table;
}

} // namespace vendrel::cli

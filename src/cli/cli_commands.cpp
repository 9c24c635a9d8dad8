#include "cli/cli_app.h"
#include "cli/cli_handlers.h"

#include <algorithm>

namespace vendrel::cli {
namespace {

std::vector<CliOption> withDryRun(std::vector<CliOption> options)
{
    options.insert(options.end(), dryRunOptions().begin(), dryRunOptions().end());
    return options;
}

} // namespace

bool CliCommand::changesHostsFile() const
{
    return std::any_of(options.begin(), options.end(),
                       [](const CliOption& option) { return option.name == dryRunOptions().front().name; });
}

const std::vector<CliOption>& dryRunOptions()
{
    static const std::vector<CliOption> options = {
        {"--dry-run", "", "change nothing: print what the command would change in the hosts file"},
        {"--diff", "", "as --dry-run, and print the change as a unified diff too"},
    };
    return options;
}

const std::vector<CliOption>& programOptions()
{
    static const std::vector<CliOption> options = [] {
        std::vector<CliOption> files = withDryRun({
            {"--hosts", "PATH", "the hosts file (default: the one the editor opens)"},
            {"--data-dir", "DIR", "the folder of the backup, whitelist and history (default: the editor's)"},
            {"--no-history", "", "keep no version of the hosts file before a change"},
        });
        files.push_back(helpOption);
        files.push_back({"--version", "", "show the program's name and version"});
        return files;
    }();
    return options;
}

const std::vector<CliCommand>& commandTable()
{
    const std::vector<CliOption>& change = dryRunOptions();
    static const std::vector<CliCommand> table = {
        {"show", {}, "print the hosts file as the editor saves it", showCommand, {}},
        {"lines", {}, "print the line count as the editor's status bar shows it", linesCommand, {}},
        {"toggle", {"N"}, "comment line N out, or in again", toggleCommand, change},
        {"delete", {"N"}, "delete line N", deleteCommand, change},
        {"add", {"TEXT"}, "add TEXT as the last line", addCommand, change},
        {"sort", {}, "normalise, de-duplicate and sort the blocking entries", sortCommand, change},
        {"merge", {"FILE"}, "merge FILE into the hosts file, then sort", mergeCommand, change},
        {"append", {"FILE"}, "append the lines of FILE", appendCommand, change},
        {"replace", {"FILE"}, "replace the hosts file by FILE", replaceCommand, change},
        {"remove-blocking", {}, "remove every line that holds the blocking address", removeBlockingCommand, change},
        {"swap", {}, "switch the blocking address between 127.0.0.1 and 0.0.0.0", swapCommand, change},
        {"backup",
         {},
         "save the backup (--force overwrites an existing one)",
         backupCommand,
         {{"--force", "", "overwrite the backup when there is one already"}}},
        {"restore", {}, "restore the hosts file from the backup", restoreCommand, change},
        {"restore-default",
         {},
         "write the operating system's default hosts file",
         restoreDefaultCommand,
         change,
         true,
         restoreDefaultDetails},
        {"whitelist-remove", {}, "delete every line whose host is on the whitelist", whitelistRemoveCommand, change},
        {"whitelist-add",
         {},
         "add every whitelisted host back as a blocking entry, then sort",
         whitelistAddCommand,
         change},
        {"whitelist-line",
         {"N"},
         "put the host of line N on the whitelist and delete the line",
         whitelistLineCommand,
         change},
        {"history",
         {},
         "list the versions kept before each change: number, time (UTC), command, lines",
         historyCommand,
         {}},
        {"undo", {}, "write back the hosts file as it was before the last change", undoCommand, change},
        {"redo", {}, "make the last undone change again", redoCommand, change},
        {"restore-version", {"N"}, "write back version N of the history", restoreVersionCommand, change},
        {"download",
         {"mvps|hphosts", "merge|replace"},
         "download a block list and apply it",
         downloadCommand,
         withDryRun({{"--url", "URL", "download from URL instead of the list's own address"},
                     {"--max-seconds", "N", "give up when the download takes longer than N seconds"},
                     {"--quiet", "", "show no progress"}}),
         false},
        {"sources",
         {"[list|add|remove|enable|disable]", "[NAME]", "[URL]"},
         "list the block-list sources; add NAME URL; remove, enable or disable NAME",
         sourcesCommand,
         {{"--format", "auto|zip|text", "what the added source serves (default: told by its first bytes)"},
          {"--member", "FILE", "the file of the added source's archive that holds the list"},
          {"--disabled", "", "add the source disabled"}},
         false,
         nullptr,
         3},
        {"update",
         {},
         "fetch every enabled source and apply them all to the hosts file in one change",
         updateCommand,
         withDryRun({{"--exit-status", "", "exit with 3 when nothing changed (0: changed; 1: a source failed)"},
                     {"--max-seconds", "N", "give up a download that takes longer than N seconds"},
                     {"--quiet", "", "show no progress"},
                     {"--install-task", "", "on Windows, run the update daily with the task scheduler"}}),
         false},
        {"why", {"HOST"}, "say which lines hold HOST and which sources gave it", whyCommand, {}},
        {"export",
         {},
         "print the blocking entries in the form a DNS server reads",
         exportCommand,
         {{"--format", "hosts|domains|dnsmasq|unbound|rpz", "the form (required)"},
          {"--output", "FILE", "write them to FILE instead"}}},
        {"unzip", {"ARCHIVE", "MEMBER", "DIR"}, "extract MEMBER of a ZIP archive into DIR", unzipCommand, {}, false},
    };
    return table;
}

} // namespace vendrel::cli

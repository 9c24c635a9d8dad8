#pragma once

#include "platform/platform.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vendrel::cli {

enum ExitStatus : int { Success = 0, Failure = 1, WrongUsage = 2 };

// --dry-run shows a change's summary, --diff its unified diff too; neither writes.
enum class DryRun { No, Summary, WithDiff };

// What a command works on: the files chosen by the global options and its own arguments.
struct CliContext {
    platform::Platform& system;
    std::string hostsPath;
    std::string dataDir;
    std::vector<std::string> arguments;
    std::ostream& out;
    std::ostream& err;
    // `err` is a terminal, where progress may be redrawn on one line.
    bool errIsTerminal = false;
    // With --dry-run or --diff: the change is shown, not written.
    DryRun dryRun = DryRun::No;
};

// One entry of the command table. `run` throws vendrel::Error on failure and
// UsageError for arguments it cannot accept.
struct CliCommand {
    std::string name;
    std::string argumentsHelp;
    std::string summary;
    std::size_t minimumArguments;
    std::size_t maximumArguments;
    std::function<void(CliContext&)> run;
    // The command reads or changes the hosts file and holds its lock while it
    // runs; a command that takes long (a download) locks it itself around
    // its change.
    bool locksHostsFile = true;
    // The command may write the hosts file, so that --dry-run can show what it would write.
    bool changesHostsFile = true;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const std::vector<CliCommand>& commandTable();

// Parses the command line (without the program name), runs the command and
// returns the exit status: 0 on success, 1 with "ERROR: " and the message on
// `err` when the command fails, 2 for wrong usage. With --dry-run (or --diff)
// anywhere on the line, a command that changes the hosts file writes nothing
// and prints what it would change instead.
int runCli(const std::vector<std::string>& arguments, platform::Platform& system, std::ostream& out,
           std::ostream& err, bool errIsTerminal = false);

} // namespace vendrel::cli

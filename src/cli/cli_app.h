#pragma once

#include "cli/command_line.h"
#include "platform/platform.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vendrel::cli {

// NothingChanged only where a command is asked for it (update --exit-status).
enum ExitStatus : int { Success = 0, Failure = 1, WrongUsage = 2, NothingChanged = 3 };

// --dry-run shows a change's summary, --diff its unified diff too; neither writes.
enum class DryRun { No, Summary, WithDiff };

// What a command works on: the files chosen by the global options, its own arguments and options.
struct CliContext {
    platform::Platform& system;
    std::string hostsPath;
    std::string dataDir;
    std::vector<std::string> arguments;
    GivenOptions options;
    std::ostream& out;
    std::ostream& err;
    // `err` is a terminal, where progress may be redrawn on one line.
    bool errIsTerminal = false;
    // With --dry-run or --diff: the change is shown, not written.
    DryRun dryRun = DryRun::No;
    // Without --no-history a change keeps the version it replaces in the data folder.
    bool keepsHistory = true;
    // What the program exits with when the command ends without an error.
    int exitStatus = Success;
};

// One entry of the command table: it is parsed, run and described in the
// help from this. `run` throws vendrel::Error on failure and UsageError for
// arguments it cannot accept.
struct CliCommand {
    std::string name;
    // What the help calls each argument; the command takes exactly these,
    // but for the last `optionalArguments` of them, which may be left out.
    std::vector<std::string> arguments;
    std::string summary;
    std::function<void(CliContext&)> run;
    // Besides --help, which every command takes.
    std::vector<CliOption> options;
    // The command reads or changes the hosts file and holds its lock while it
    // runs; a command that takes long (a download) locks it itself around
    // its change.
    bool locksHostsFile = true;
    // What the command's help says of this system beside its summary, if anything.
    std::function<std::string(platform::Platform&)> details = nullptr;
    std::size_t optionalArguments = 0;

    // A command that may write the hosts file takes --dry-run, to show what it would write.
    bool changesHostsFile() const;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const std::vector<CliCommand>& commandTable();

// The options given before the command.
const std::vector<CliOption>& programOptions();

// --dry-run and --diff: options of the program and of every command that changes the hosts file.
const std::vector<CliOption>& dryRunOptions();

// Parses the command line (without the program name), runs the command and
// returns the exit status: 0 on success, 1 with "ERROR: " and the message on
// `err` when the command fails or its output could not be written, 2 for
// wrong usage. With --dry-run (or --diff), a command that changes the hosts
// file writes nothing and prints what it would change instead.
int runCli(const std::vector<std::string>& arguments, platform::Platform& system, std::ostream& out, std::ostream& err,
           bool errIsTerminal = false);

} // namespace vendrel::cli

#include "cli/cli_app.h"

#include "core/error.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_file_access.h"

#include <algorithm>
#include <optional>

namespace vendrel::cli {
namespace {

void printHelp(std::ostream& out)
{
    out << "Usage: vendrel-cli [--hosts PATH] [--data-dir DIR] COMMAND [ARGUMENTS]\n\n"
           "Runs the hosts-file editor's commands on the hosts file, for scripts.\n\n"
           "Options:\n"
           "  --hosts PATH     the hosts file (default: the one the editor opens)\n"
           "  --data-dir DIR   the folder of the backup and whitelist (default: the editor's)\n"
           "  --dry-run        change nothing: print what the command would change in the hosts file\n"
           "  --diff           as --dry-run, and print the change as a unified diff too\n"
           "  --help           show this text\n"
           "  --version        show the program's name and version\n\n"
           "Commands:\n";
    for (const CliCommand& command : commandTable()) {
        std::string left = command.name;
        if (!command.argumentsHelp.empty())
            left += " " + command.argumentsHelp;
        // At least two spaces, so that readers (help2man too) tell a long command from its summary.
        const std::size_t gap = std::max<std::size_t>(left.size() + 2, 17) - left.size();
        out << "  " << left << std::string(gap, ' ') << command.summary << '\n';
    }
}

const CliCommand* findCommand(const std::string& name)
{
    const auto& table = commandTable();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&name](const CliCommand& command) { return command.name == name; });
    return found == table.end() ? nullptr : &*found;
}

struct ParsedLine {
    std::optional<std::string> hostsPath;
    std::optional<std::string> dataDir;
    bool help = false;
    bool version = false;
    DryRun dryRun = DryRun::No;
    std::string command;
    std::vector<std::string> arguments;
};

// Takes --dry-run and --diff from anywhere on the line, before or after the command.
std::vector<std::string> takeDryRunOptions(std::vector<std::string> arguments, DryRun& dryRun)
{
    std::erase_if(arguments, [&dryRun](const std::string& argument) {
        if (argument == "--diff")
            dryRun = DryRun::WithDiff;
        else if (argument == "--dry-run" && dryRun == DryRun::No)
            dryRun = DryRun::Summary;
        return argument == "--diff" || argument == "--dry-run";
    });
    return arguments;
}

ParsedLine parse(const std::vector<std::string>& commandLine)
{
    ParsedLine parsed;
    const std::vector<std::string> arguments = takeDryRunOptions(commandLine, parsed.dryRun);
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i].starts_with("--"); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help") {
            parsed.help = true;
        } else if (option == "--version") {
            parsed.version = true;
        } else if (option == "--hosts" || option == "--data-dir") {
            if (i + 1 >= arguments.size())
                throw UsageError(option + " needs a value");
            (option == "--hosts" ? parsed.hostsPath : parsed.dataDir) = arguments[++i];
        } else {
            throw UsageError("unknown option " + option);
        }
    }
    if (i < arguments.size())
        parsed.command = arguments[i++];
    parsed.arguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
    return parsed;
}

void runReportingMemory(const CliCommand& command, CliContext& context)
{
    try {
        command.run(context);
    } catch (const std::bad_alloc&) {
        throw Error("Not enough memory to run " + command.name + " on " + context.hostsPath +
                    "; the file was not changed");
    }
}

} // namespace

int runCli(const std::vector<std::string>& arguments, platform::Platform& system, std::ostream& out,
           std::ostream& err, bool errIsTerminal)
{
    try {
        const ParsedLine parsed = parse(arguments);
        if (parsed.help) {
            printHelp(out);
            return Success;
        }
        if (parsed.version) {
            out << "vendrel-cli " VENDREL_VERSION "\n";
            return Success;
        }
        if (parsed.command.empty())
            throw UsageError("no command given");
        const CliCommand* command = findCommand(parsed.command);
        if (!command)
            throw UsageError("unknown command " + parsed.command);
        if (parsed.arguments.size() < command->minimumArguments ||
            parsed.arguments.size() > command->maximumArguments)
            throw UsageError("usage: vendrel-cli " + command->name + " " + command->argumentsHelp);

        const std::string dataDir = parsed.dataDir ? *parsed.dataDir : system.programFolder();
        std::string hostsPath;
        if (parsed.hostsPath) {
            hostsPath = *parsed.hostsPath;
        } else {
            hostsPath = hostsPathIn(system, locateEditorPaths(system));
        }
        if (const auto note = finishInterruptedHostsWrite(hostsPath))
            err << *note << '\n';
        if (parsed.dryRun != DryRun::No && !command->changesHostsFile)
            throw UsageError(command->name + " does not change the hosts file, so it has no --dry-run");
        CliContext context{system, hostsPath, dataDir, parsed.arguments, out, err, errIsTerminal, parsed.dryRun};
        std::optional<platform::FileLock> lock;
        if (command->locksHostsFile)
            lock.emplace(lockHostsFile(hostsPath));
        runReportingMemory(*command, context);
        return Success;
    } catch (const UsageError& error) {
        err << "vendrel-cli: " << error.what() << "\nTry 'vendrel-cli --help'.\n";
        return WrongUsage;
    } catch (const std::exception& error) {
        err << "ERROR: " << error.what() << '\n';
        return Failure;
    }
}

} // namespace vendrel::cli

#include "cli/cli_app.h"

#include "core/error.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_file_guard.h"

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
           "  --help           show this text\n\n"
           "Commands:\n";
    for (const CliCommand& command : commandTable()) {
        std::string left = command.name;
        if (!command.argumentsHelp.empty())
            left += " " + command.argumentsHelp;
        out << "  " << left << std::string(left.size() < 17 ? 17 - left.size() : 1, ' ') << command.summary
            << '\n';
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
    std::string command;
    std::vector<std::string> arguments;
};

ParsedLine parse(const std::vector<std::string>& arguments)
{
    ParsedLine parsed;
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i].starts_with("--"); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help") {
            parsed.help = true;
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
            hostsPath = locateEditorPaths(system).hostsPath;
        }
        if (const auto note = finishInterruptedHostsWrite(hostsPath))
            err << *note << '\n';
        CliContext context{system, hostsPath, dataDir, parsed.arguments, out, err, errIsTerminal};
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

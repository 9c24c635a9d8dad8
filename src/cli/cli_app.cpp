#include "cli/cli_app.h"

#include "cli/cli_handlers.h"
#include "cli/cli_help.h"
#include "cli/stdio_output.h"
#include "core/error.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_file_access.h"
#include "core/session/change_writer.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <span>

namespace vendrel::cli {
namespace {

const CliCommand& findCommand(const std::string& name)
{
    const auto& table = commandTable();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&name](const CliCommand& command) { return command.name == name; });
    if (found == table.end())
        throw UsageError("unknown command " + name);
    return *found;
}

DryRun dryRunOf(const GivenOptions& options)
{
    if (options.has("--diff"))
        return DryRun::WithDiff;
    return options.has("--dry-run") ? DryRun::Summary : DryRun::No;
}

// The command's options and arguments, with --dry-run and --diff also when they came before the command.
// A command that does not change the hosts file is told apart from one that has no such option.
ParsedWords parseCommandWords(const CliCommand& command, std::span<const std::string> words,
                              const GivenOptions& programOptions)
{
    std::vector<CliOption> declared = command.options;
    declared.push_back(helpOption);
    if (!command.changesHostsFile())
        declared.insert(declared.end(), dryRunOptions().begin(), dryRunOptions().end());
    ParsedWords parsed = parseWords(words, declared, WordsEnd::AtLastWord);
    for (const CliOption& option : dryRunOptions()) {
        if (programOptions.has(option.name))
            parsed.options.add(option.name, {});
        if (parsed.options.has(option.name) && !command.changesHostsFile())
            throw UsageError(command.name + " does not change the hosts file, so it has no " + option.name);
    }
    return parsed;
}

void checkArgumentCount(const CliCommand& command, const std::vector<std::string>& arguments)
{
    const std::size_t wanted = command.arguments.size();
    if (arguments.size() + command.optionalArguments < wanted)
        throw UsageError(command.name + " needs " + command.arguments[arguments.size()]);
    if (arguments.size() > wanted)
        throw UsageError(command.name + " takes no argument '" + arguments[wanted] + "'");
}

std::string hostsPathOf(const GivenOptions& options, platform::Platform& system)
{
    if (const auto given = options.value("--hosts"))
        return *given;
    return hostsPathIn(system, locateEditorPaths(system));
}

// The temporary files and drafts of writers killed before they finished,
// beside the hosts file and in the data folder; under the hosts file's lock.
void removeWhatDeadWritersLeft(const CliContext& context)
{
    const std::filesystem::path hostsFolder = std::filesystem::path(context.hostsPath).parent_path();
    platform::removeStaleTemporariesIn(hostsFolder.empty() ? "." : hostsFolder.string());
    platform::removeStaleTemporariesIn(context.dataDir);
    if (const auto history = ChangeWriter(context.dataDir).history())
        history->removeLeftovers();
}

// What an interrupted rewrite left is settled by a command that changes the
// file, under its lock; one that only reads, or only shows a change, says so.
void settleInterruptedWrite(const CliCommand& command, CliContext& context)
{
    if (command.changesHostsFile() && context.dryRun == DryRun::No) {
        ChangeWriter writer(context.keepsHistory ? context.dataDir : std::string(), Locking::HeldByOwner);
        writer.writeWithPrivileges(context.system.privilegedHostsWriter(context.hostsPath));
        if (const auto note = writer.settleInterruptedWrite(context.hostsPath))
            context.err << *note << '\n';
    } else if (platform::hasInterruptedRewrite(context.hostsPath)) {
        context.err << "The last rewrite of " << context.hostsPath
                    << " was interrupted; the next command that changes the file settles it first.\n";
    }
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

// Output that could not be written fails the command; a reader that went away
// (a closed pipe) ends it quietly, as SIGPIPE would.
int withOutputChecked(int status, std::ostream& out, std::ostream& err)
{
    const std::error_code outFailure = writeFailure(out);
    if (outFailure && outFailure != std::errc::broken_pipe) {
        err << "ERROR: could not write the output: " << outFailure.message() << '\n';
        status = Failure;
    }
    const std::error_code errFailure = writeFailure(err);
    return errFailure && errFailure != std::errc::broken_pipe ? Failure : status;
}

int runCommandLine(const std::vector<std::string>& arguments, platform::Platform& system, std::ostream& out,
                   std::ostream& err, bool errIsTerminal)
{
    const CliCommand* command = nullptr;
    try {
        const ParsedWords program = parseWords(arguments, programOptions(), WordsEnd::AtFirstPositional);
        if (program.options.has(helpOption.name)) {
            printProgramHelp(out);
            return Success;
        }
        if (program.options.has("--version")) {
            out << "vendrel-cli " VENDREL_VERSION "\n";
            return Success;
        }
        if (program.wordsUsed == arguments.size())
            throw UsageError("no command given");
        command = &findCommand(arguments[program.wordsUsed]);
        ParsedWords words = parseCommandWords(*command, std::span(arguments).subspan(program.wordsUsed + 1),
                                              program.options);
        if (words.options.has(helpOption.name)) {
            printCommandHelp(out, *command, system);
            return Success;
        }
        checkArgumentCount(*command, words.positionals);

        const std::string hostsPath = hostsPathOf(program.options, system);
        CliContext context{system,
                           hostsPath,
                           program.options.value("--data-dir").value_or(system.programFolder()),
                           std::move(words.positionals),
                           words.options,
                           out,
                           err,
                           errIsTerminal,
                           dryRunOf(words.options),
                           !program.options.has("--no-history")};
        // A change keeps its version or is not made: the data folder is there before it.
        if (command->changesHostsFile() && context.dryRun == DryRun::No && context.keepsHistory)
            createDataFolder(context);
        std::optional<platform::FileLock> lock;
        if (command->locksHostsFile) {
            lock.emplace(lockHostsFile(hostsPath));
            removeWhatDeadWritersLeft(context);
        }
        settleInterruptedWrite(*command, context);
        runReportingMemory(*command, context);
        return context.exitStatus;
    } catch (const UsageError& error) {
        err << "vendrel-cli: " << error.what() << '\n';
        if (command)
            err << "usage: vendrel-cli " << commandUsage(*command) << "\nTry 'vendrel-cli " << command->name
                << " --help'.\n";
        else
            err << "Try 'vendrel-cli --help'.\n";
        return WrongUsage;
    } catch (const std::exception& error) {
        err << "ERROR: " << error.what() << '\n';
        return Failure;
    }
}

} // namespace

int runCli(const std::vector<std::string>& arguments, platform::Platform& system, std::ostream& out, std::ostream& err,
           bool errIsTerminal)
{
    return withOutputChecked(runCommandLine(arguments, system, out, err, errIsTerminal), out, err);
}

} // namespace vendrel::cli

#include "cli/cli_help.h"

#include <algorithm>

namespace vendrel::cli {
namespace {

const char* const programOptionsUsage = "[--hosts PATH] [--data-dir DIR]";

std::string optionText(const CliOption& option)
{
    return option.takesValue() ? option.name + " " + option.valueName : option.name;
}

bool isProgramOption(const CliOption& option)
{
    const auto& program = programOptions();
    return std::any_of(program.begin(), program.end(),
                       [&option](const CliOption& given) { return given.name == option.name; });
}

// The name and arguments, then the options (but for those the program's options describe already).
std::string commandLine(const CliCommand& command, bool withProgramOptions)
{
    std::string line = command.name;
    for (const std::string& argument : command.arguments)
        line += " " + argument;
    for (const CliOption& option : command.options)
        if (withProgramOptions || !isProgramOption(option))
            line += " [" + optionText(option) + "]";
    return line;
}

// At least two spaces, so that readers (help2man too) tell a long item from its text.
void printItem(std::ostream& out, const std::string& item, const std::string& text)
{
    const std::size_t gap = std::max<std::size_t>(item.size() + 2, 17) - item.size();
    out << "  " << item << std::string(gap, ' ') << text << '\n';
}

void printOptions(std::ostream& out, const std::vector<CliOption>& options)
{
    out << "Options:\n";
    for (const CliOption& option : options)
        printItem(out, option.name == helpOption.name ? "-h, --help" : optionText(option), option.help);
}

} // namespace

std::string commandUsage(const CliCommand& command) { return commandLine(command, true); }

void printProgramHelp(std::ostream& out)
{
    out << "Usage: vendrel-cli " << programOptionsUsage
        << " COMMAND [ARGUMENTS]\n\n"
           "Runs the hosts-file editor's commands on the hosts file, for scripts.\n\n";
    printOptions(out, programOptions());
    out << "\nCommands:\n";
    for (const CliCommand& command : commandTable())
        printItem(out, commandLine(command, false), command.summary);
    out << "\n'vendrel-cli COMMAND --help' describes a command and its options.\n";
}

void printCommandHelp(std::ostream& out, const CliCommand& command, platform::Platform& system)
{
    out << "Usage: vendrel-cli " << programOptionsUsage << " " << commandUsage(command) << "\n\n"
        << command.summary << "\n\n";
    if (command.details)
        out << command.details(system) << "\n\n";
    std::vector<CliOption> options = command.options;
    options.push_back(helpOption);
    printOptions(out, options);
}

} // namespace vendrel::cli

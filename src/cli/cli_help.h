#pragma once

#include "cli/cli_app.h"

#include <ostream>
#include <string>

namespace vendrel::cli {

// The command as it is called: its name, its arguments and its options, such as
// "download mvps|hphosts merge|replace [--url URL] ... [--diff]".
std::string commandUsage(const CliCommand& command);

// vendrel-cli --help: the program's options and a line for every command.
void printProgramHelp(std::ostream& out);

// vendrel-cli COMMAND --help: how it is called, what it does and its options.
void printCommandHelp(std::ostream& out, const CliCommand& command, platform::Platform& system);

} // namespace vendrel::cli

#pragma once

#include "cli/cli_app.h"

#include <sstream>
#include <string>
#include <vector>

// What one in-process run of vendrel-cli gave.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the command line through runCli on `system`, capturing both streams.
inline CliRun runCliCapturing(const std::vector<std::string>& arguments, platform::Platform& system)
{
    std::ostringstream out;
    std::ostringstream err;
    CliRun result;
    result.status = vendrel::cli::runCli(arguments, system, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

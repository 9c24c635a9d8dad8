#include "cli/cli_app.h"
#include "cli/stdio_output.h"

#include <cstdio>

int main(int argc, char** argv)
{
    platform::giveLargeBlocksBack();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto system = platform::createSystemPlatform();
    vendrel::cli::StdioOutput outBuffer(stdout);
    vendrel::cli::StdioOutput errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    return vendrel::cli::runCli(arguments, *system, out, err, platform::standardErrorIsTerminal());
}

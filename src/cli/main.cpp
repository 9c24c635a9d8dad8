#include "cli/cli_app.h"

#include <iostream>

int main(int argc, char** argv)
{
    platform::giveLargeBlocksBack();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto system = platform::createSystemPlatform();
    return vendrel::cli::runCli(arguments, *system, std::cout, std::cerr, platform::standardErrorIsTerminal());
}

// Runs the built vendrel-cli program, to check what the library tests cannot:
// the program's own main(), its exit status and its byte-exact stdout.

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string dataFolder = VENDREL_TEST_DATA;
const std::string program = VENDREL_CLI_PROGRAM;

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliProgram : public testing::Test {
protected:
    // Holds the program's data folder and its stderr, so that the run
    // touches nothing of the user's.
    FakePlatform scratch;

    const std::string errFile = scratch.root() + "/stderr";

    // The shell words that run the program with `arguments`.
    std::string programLine(const std::vector<std::string>& arguments)
    {
        std::string command = "XDG_DATA_HOME=" + shellQuoted(scratch.root() + "/data") + " " + shellQuoted(program);
        for (const std::string& argument : arguments)
            command += " " + shellQuoted(argument);
        return command;
    }

    ProgramRun run(const std::vector<std::string>& arguments)
    {
        return runShell(programLine(arguments) + " 2>" + shellQuoted(errFile));
    }

    // Runs a shell line that sends the program's stderr to errFile.
    ProgramRun runShell(const std::string& line)
    {
        ProgramRun result;
        std::FILE* pipe = ::popen(line.c_str(), "r");
        if (!pipe) {
            ADD_FAILURE() << "cannot start " << line;
            return result;
        }
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, got);
        const int waited = ::pclose(pipe);
        result.status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
        result.err = FakePlatform::readFile(errFile);
        return result;
    }
};

TEST_F(CliProgram, ShowPrintsTheSavedListOfARealFile)
{
    const std::string name = "/arcaz21_hosts_tab-led-line_unchecky-block";
    const ProgramRun result = run({"--hosts", dataFolder + name, "show"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, FakePlatform::readFile(dataFolder + "/saved" + name));
    EXPECT_NE(result.out.find("\r\n127.0.0.1\tlocalhost\r\n"), std::string::npos);
}

TEST_F(CliProgram, FailuresGiveTheirExitStatus)
{
    const std::string path = scratch.root() + "/missing";
    const ProgramRun missing = run({"--hosts", path, "show"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err.rfind("ERROR: Cannot open file " + path, 0), 0u) << missing.err;

    const ProgramRun wrongUsage = run({"frobnicate"});
    EXPECT_EQ(wrongUsage.status, 2);
    EXPECT_EQ(wrongUsage.out, "");
}

TEST_F(CliProgram, OutputThatCannotBeWrittenFailsTheCommand)
{
    const std::string hosts = dataFolder + "/arcaz21_hosts_tab-led-line_unchecky-block";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--hosts", hosts, "show"}, std::vector<std::string>{"--help"}}) {
        const ProgramRun result = runShell(programLine(arguments) + " >/dev/full 2>" + shellQuoted(errFile));
        EXPECT_EQ(result.status, 1) << arguments.back();
        EXPECT_EQ(result.err, "ERROR: could not write the output: No space left on device\n");
    }
}

// More output than a pipe holds, to a reader that stops after one byte: the
// program ends without a word, stopped by SIGPIPE or, where SIGPIPE is
// ignored, on its failed write.
TEST_F(CliProgram, AReaderThatStopsEarlyEndsTheProgramQuietly)
{
    std::string list = "127.0.0.1 localhost\n";
    for (int i = 0; i < 40000; ++i)
        list += "0.0.0.0 host" + std::to_string(i) + ".example\n";
    const std::string hosts = scratch.writeFile(scratch.root() + "/hosts", list);
    const std::string statusFile = scratch.root() + "/status";
    for (const auto& [pipeSignal, status] : {std::pair{"", "141"}, std::pair{"trap '' PIPE; ", "0"}}) {
        const ProgramRun result = runShell(std::string("{ ") + pipeSignal + programLine({"--hosts", hosts, "show"}) +
                                           " 2>" + shellQuoted(errFile) + "; echo $? >" + shellQuoted(statusFile) +
                                           "; } | head -c 1");
        EXPECT_EQ(result.out, "1");
        EXPECT_EQ(FakePlatform::readFile(statusFile), std::string(status) + "\n") << pipeSignal;
        EXPECT_EQ(result.err, "") << pipeSignal;
    }
}

} // namespace

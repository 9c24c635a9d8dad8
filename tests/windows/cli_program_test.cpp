// vendrel-cli.exe itself on a hosts file in the prefix's own hosts folder.

#include "platform/platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the program with `arguments` and returns its exit code.
DWORD runCli(const std::string& arguments)
{
    std::string command = "\"" + fs::path(VENDREL_CLI_PROGRAM).make_preferred().string() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

// A hosts file of its own beside the prefix's, so the real one stays as it is.
class CliProgram : public testing::Test {
protected:
    void SetUp() override
    {
        const auto system = platform::createSystemPlatform();
        const std::string etc = system->hostsFolder(system->systemDirectory());
        ASSERT_TRUE(system->directoryExists(etc)) << etc;
        hosts = etc + "\\hosts.vendrel-test";
        data = etc + "\\vendrel-test-data";
        fs::create_directories(data);
    }
    void TearDown() override
    {
        ::SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove(hosts);
        fs::remove_all(data);
    }
    std::string options() const { return "--hosts \"" + hosts + "\" --data-dir \"" + data + "\" "; }

    std::string hosts;
    std::string data;
};

TEST_F(CliProgram, SortAndMergeRewriteTheHostsFileAndKeepItsAttributes)
{
    std::ofstream(hosts, std::ios::binary) << "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n# note\r\n"
                                              "0.0.0.0   A.example # ad\r\n";
    ASSERT_TRUE(::SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(runCli(options() + "sort"), 0u);
    EXPECT_EQ(read(hosts), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tA.example\r\n127.0.0.1\tb.example\r\n");
    EXPECT_TRUE(::GetFileAttributesA(hosts.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    const std::string list = data + "\\list.txt";
    std::ofstream(list, std::ios::binary) << "0.0.0.0 c.example\r\n0.0.0.0 a.EXAMPLE\r\n";
    ASSERT_EQ(runCli(options() + "merge \"" + list + "\""), 0u);
    // The other blocking address becomes the file's; the entry nearest the end wins a duplicate.
    EXPECT_EQ(read(hosts), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\ta.EXAMPLE\r\n127.0.0.1\tb.example\r\n"
                           "127.0.0.1\tc.example\r\n");
}

TEST_F(CliProgram, AReadOnlyHostsFileIsRefusedAndLeftAsItWas)
{
    const std::string text = "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n0.0.0.0 a.example\r\n";
    std::ofstream(hosts, std::ios::binary) << text;
    ASSERT_TRUE(::SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(runCli(options() + "sort"), 0u);
    EXPECT_EQ(read(hosts), text);
}

} // namespace

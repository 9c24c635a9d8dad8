// The file services of the Windows platform on the real file system: the
// attribute word, the hosts file's place, and the writer and lock around it.

#include "core/hosts/editor_paths.h"
#include "platform/atomic_file.h"
#include "platform/file_lock.h"
#include "platform/platform.h"

#include "temporary_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace platform;

class Win32Files : public testing::Test {
protected:
    void SetUp() override { file = writeFile("hosts", "127.0.0.1 localhost\r\n"); }
    void TearDown() override
    {
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }

    std::string writeFile(const std::string& name, const std::string& bytes) const
    {
        const std::string path = folder + "\\" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::unique_ptr<Platform> system = createSystemPlatform();
    std::string folder = testing_support::createTemporaryFolder("vendrel-win32-");
    std::string file;
};

TEST_F(Win32Files, ReadOnlyHiddenAndSystemRoundTripThroughTheAttributeWord)
{
    const std::uint16_t words[] = {Hidden, System, Hidden | System, Hidden | System | ReadOnly, ReadOnly};
    for (const std::uint16_t bits : words) {
        // Hidden and system go first: under Wine a user other than root
        // cannot change the other bits of a file that is read-only.
        ASSERT_TRUE(system->setFileAttributes(file, bits & ~ReadOnly)) << bits;
        ASSERT_TRUE(system->setFileAttributes(file, bits)) << bits;
        const auto read = system->fileAttributes(file);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read & (ReadOnly | Hidden | System), bits);
        EXPECT_EQ(*read, ::GetFileAttributesA(file.c_str())) << "the word is the file system's own";
        ASSERT_TRUE(system->setFileAttributes(file, 0));
    }
    EXPECT_EQ(*system->fileAttributes(folder) & Directory, Directory);
    EXPECT_FALSE(system->fileAttributes(folder + "\\missing"));
    EXPECT_FALSE(system->setFileAttributes(folder + "\\missing", Hidden));
}

TEST_F(Win32Files, TheHostsFileIsInTheSystemFoldersDriversEtc)
{
    const auto paths = vendrel::locateEditorPaths(*system);
    char expected[MAX_PATH] = {};
    ::GetSystemDirectoryA(expected, MAX_PATH);
    EXPECT_EQ(paths.systemDir, expected);
    const auto hostsPath = vendrel::hostsPathIn(*system, paths);
    EXPECT_TRUE(lstrcmpiA(hostsPath.c_str(), (std::string(expected) + "\\drivers\\etc\\hosts").c_str()) == 0)
        << hostsPath;
    EXPECT_TRUE(lstrcmpiA(hostsPath.c_str(), "C:\\windows\\system32\\drivers\\etc\\hosts") == 0) << hostsPath;
    EXPECT_TRUE(system->fileExists(hostsPath));
    EXPECT_EQ(system->legacyHostsPath(paths.windowsDir), paths.windowsDir + "\\HOSTS");

    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    EXPECT_EQ(paths.programFolder, fs::path(program).parent_path().string());
    EXPECT_EQ(paths.backupPath(), paths.programFolder + "\\hostsbak.bak");
}

TEST_F(Win32Files, TheWriterReplacesTheFileAndKeepsItsHiddenAndSystemBits)
{
    ASSERT_TRUE(system->setFileAttributes(file, Hidden | System));
    writeFileAtomically(file, "0.0.0.0\tnew.example\r\n");
    EXPECT_EQ(read(file), "0.0.0.0\tnew.example\r\n");
    EXPECT_EQ(*system->fileAttributes(file) & (Hidden | System), Hidden | System);
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "hosts") << "no temporary file is left";

    ASSERT_TRUE(system->setFileAttributes(file, Hidden | System | ReadOnly));
    ASSERT_EQ(*system->fileAttributes(file) & ReadOnly, ReadOnly);
    EXPECT_THROW(writeFileAtomically(file, "changed"), FileError);
    EXPECT_EQ(read(file), "0.0.0.0\tnew.example\r\n");
}

TEST_F(Win32Files, AWriterWaitsForTheLockOfAnotherAndTheLockFileGoesWithIt)
{
    const std::string missing = folder + "\\whitelist.txt";
    for (const std::string& path : {file, missing}) {
        std::optional<FileLock> held(std::in_place, path);
        EXPECT_THROW(FileLock(path, std::chrono::milliseconds(100)), FileError) << path;
        writeFileAtomically(path, "written under the lock");
        held.reset();
        EXPECT_NO_THROW(FileLock(path, std::chrono::milliseconds(100))) << path;
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"hosts", "whitelist.txt"}));
}

} // namespace

// The boot-file operations on boot.ini and msdos.sys at the root of the
// prefix's system drive, with the real attribute, copy and path calls.

#include "platform/boot_platform.h"
#include "safeboot/boot_files.h"

#include "wine_only.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace safeboot;

std::string read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string bootIni = "[boot loader]\r\n"
                            "timeout=30\r\n"
                            "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
                            "[operating systems]\r\n"
                            "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
                            "/fastdetect\r\n"
                            "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n";

class DriveRootBootFiles : public testing::Test {
protected:
    void SetUp() override
    {
        SKIP_UNLESS_UNDER_WINE();
        for (const std::string& path : {bootPath, msdosPath})
            if (fs::exists(path) || fs::exists(path + ".PLB"))
                GTEST_SKIP() << path << " exists already and is left alone";
        created = true;
    }
    void TearDown() override
    {
        if (!created)
            return;
        for (const std::string& path : {bootPath, bootPath + ".PLB", msdosPath, msdosPath + ".PLB"}) {
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
    }
    void place(const std::string& path, const std::string& text, DWORD attributes) const
    {
        std::ofstream(path, std::ios::binary) << text;
        // Hidden and system before read-only, which Wine then keeps its user from changing.
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
    }

    std::unique_ptr<platform::BootPlatform> machine = platform::createSystemBootPlatform();
    std::string bootPath = "C:\\boot.ini";
    std::string msdosPath = "C:\\msdos.sys";
    bool created = false;
};

TEST_F(DriveRootBootFiles, BootIniIsFoundFromTheSystemRootAndGainsOneSwitchAtATime)
{
    EXPECT_TRUE(machine->IsNtPlatform());
    ASSERT_TRUE(lstrcmpiA(BootIniPath(*machine).c_str(), bootPath.c_str()) == 0) << BootIniPath(*machine);
    constexpr DWORD locked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    place(bootPath, bootIni, locked);

    EXPECT_TRUE(RestoreBootIni(*machine)) << "no backup yet: nothing to put back";
    EXPECT_TRUE(SetSafeBootNt(*machine, SafeBootMode::Minimal));
    EXPECT_EQ(read(bootPath + ".PLB"), bootIni);
    EXPECT_NE(read(bootPath).find("/fastdetect /safeboot:minimal\r\n"), std::string::npos) << read(bootPath);
    EXPECT_EQ(::GetFileAttributesA(bootPath.c_str()) & locked, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN))
        << "read-only and system cleared, hidden kept";

    EXPECT_TRUE(RestoreBootIni(*machine));
    EXPECT_TRUE(SetSafeBootNt(*machine, SafeBootMode::Network));
    const std::string changed = read(bootPath);
    EXPECT_NE(changed.find("/fastdetect /safeboot:network\r\n"), std::string::npos) << changed;
    EXPECT_EQ(changed.find("minimal"), std::string::npos);

    EXPECT_TRUE(RestoreBootIni(*machine));
    EXPECT_EQ(read(bootPath), bootIni) << "a normal start puts the backup back";
    EXPECT_TRUE(fs::exists(bootPath + ".PLB"));
}

TEST_F(DriveRootBootFiles, MsdosSysGetsItsSafeModeKeysAndLosesThemOnRestore)
{
    const std::string msdos = "[Paths]\r\nWinDir=C:\\WINDOWS\r\n[Options]\r\nBootGUI=1\r\n";
    ASSERT_TRUE(lstrcmpiA(MsdosSysPath(*machine).c_str(), msdosPath.c_str()) == 0) << MsdosSysPath(*machine);
    place(msdosPath, msdos, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);

    EXPECT_TRUE(SetSafeBoot9x(*machine, SafeBootMode::Network));
    EXPECT_EQ(read(msdosPath),
              "[Paths]\r\nWinDir=C:\\WINDOWS\r\n[Options]\r\nBootGUI=1\r\nBootSafe=1\r\nNetwork=1\r\n");
    EXPECT_TRUE(RestoreMsdosSys(*machine));
    EXPECT_EQ(read(msdosPath), msdos);
}

TEST(Win32BootPlatform, PathsAreCutToTheRootOfTheirDrive)
{
    const auto machine = platform::createSystemBootPlatform();
    EXPECT_EQ(machine->pathRoot("C:\\WINDOWS"), "C:\\");
    EXPECT_EQ(machine->pathRoot("D:\\WINNT\\system32"), "D:\\");
    EXPECT_EQ(machine->pathRoot("\\\\server\\share\\folder"), "\\\\server\\share\\");
    EXPECT_EQ(machine->pathRoot("relative\\folder"), "");
    ASSERT_TRUE(machine->systemRoot());
    EXPECT_TRUE(lstrcmpiA(machine->systemRoot()->c_str(), machine->windowsDirectory().c_str()) == 0);
}

TEST(Win32BootPlatform, OneInstanceHoldsTheLockUntilItEnds)
{
    const auto machine = platform::createSystemBootPlatform();
    auto first = machine->claimSingleInstance("PLBFILEVIEWER-test");
    ASSERT_TRUE(first);
    EXPECT_FALSE(machine->claimSingleInstance("PLBFILEVIEWER-test"));
    first.reset();
    EXPECT_TRUE(machine->claimSingleInstance("PLBFILEVIEWER-test"));
}

} // namespace

#include "safeboot/boot_choice.h"
#include "safeboot/boot_files.h"

#include "fake_boot_platform.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using safeboot::applyBootChoice;
using safeboot::SafeBootMode;
using testing_support::FakeBootPlatform;

const std::string typicalEntry =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect";

// The typical boot.ini with its default entry ending in `added`.
std::string typicalWith(const std::string& added)
{
    std::string text = readTestData("msdocs_typical_boot.ini");
    return text.insert(text.find(typicalEntry) + typicalEntry.size(), added);
}

bool exists(const std::string& path) { return std::filesystem::exists(path); }

class BootIniTest : public ::testing::Test {
protected:
    FakeBootPlatform machine;
    const std::string original = readTestData("msdocs_typical_boot.ini");
    std::string bootIni = machine.bootIni();
    std::string backup = machine.bootIni() + ".PLB";

    void SetUp() override { machine.writeFile(bootIni, original); }
    std::string onDisk() const { return FakeBootPlatform::readFile(bootIni); }
};

TEST_F(BootIniTest, PathsAreAtTheRootOfTheirDrives)
{
    EXPECT_EQ(safeboot::BootIniPath(machine), machine.drive('C') + "boot.ini");
    EXPECT_EQ(safeboot::MsdosSysPath(machine), machine.drive('C') + "msdos.sys");
    machine.systemRootValue = machine.drive('D') + "WINNT";
    EXPECT_EQ(safeboot::BootIniPath(machine), machine.drive('D') + "boot.ini");
    machine.systemRootValue.reset();
    EXPECT_EQ(safeboot::BootIniPath(machine), machine.drive('C') + "boot.ini") << "the Windows directory's drive";
    machine.windowsDirectoryValue = "WINDOWS";
    EXPECT_EQ(safeboot::BootIniPath(machine), "") << "a folder without a root gives no path";
    EXPECT_FALSE(safeboot::SetSafeBootNt(machine, SafeBootMode::Minimal));
}

TEST_F(BootIniTest, FirstRunMinimalBacksUpTheUnchangedFileAndAddsTheSwitch)
{
    EXPECT_TRUE(safeboot::RestoreBootIni(machine));
    EXPECT_EQ(onDisk(), original) << "no backup: the restore does nothing";
    EXPECT_FALSE(exists(backup));

    EXPECT_TRUE(safeboot::SetSafeBootNt(machine, SafeBootMode::Minimal));
    EXPECT_EQ(FakeBootPlatform::readFile(backup), original);
    EXPECT_EQ(onDisk(), typicalWith(" /safeboot:minimal"));
}

struct ModeCase {
    const char* name;
    SafeBootMode mode;
    const char* switchText;
};

class BootIniModeTest : public BootIniTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(BootIniModeTest, EachModeAddsItsSwitch)
{
    ASSERT_TRUE(applyBootChoice(machine, GetParam().mode));
    EXPECT_EQ(onDisk(), typicalWith(std::string(" ") + GetParam().switchText));
}

INSTANTIATE_TEST_SUITE_P(Modes, BootIniModeTest,
                         ::testing::Values(ModeCase{"Minimal", SafeBootMode::Minimal, "/safeboot:minimal"},
                                           ModeCase{"Network", SafeBootMode::Network, "/safeboot:network"},
                                           ModeCase{"DsRepair", SafeBootMode::DsRepair, "/safeboot:dsrepair"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BootIniTest, NetworkAfterMinimalStartsFromTheRestoredFile)
{
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Minimal));
    machine.events.clear();
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Network));
    EXPECT_EQ(onDisk(), typicalWith(" /safeboot:network"));
    EXPECT_EQ(onDisk().find("minimal"), std::string::npos);
    EXPECT_EQ(FakeBootPlatform::readFile(backup), original);
    EXPECT_EQ(machine.events,
              (std::vector<std::string>{"copy C/boot.ini.PLB -> C/boot.ini", "copy C/boot.ini -> C/boot.ini.PLB"}));
}

TEST_F(BootIniTest, NormalRestartRestoresAndKeepsTheBackup)
{
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::DsRepair));
    ASSERT_TRUE(applyBootChoice(machine, std::nullopt));
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(FakeBootPlatform::readFile(backup), original);
}

TEST_F(BootIniTest, HandEditAfterASafeModeRunIsUndoneByTheNextRun)
{
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Minimal));
    std::string edited = onDisk();
    edited.replace(edited.find("timeout=30"), 10, "timeout=5");
    machine.writeFile(bootIni, edited);
    ASSERT_TRUE(applyBootChoice(machine, std::nullopt));
    EXPECT_EQ(onDisk(), original);
}

TEST_F(BootIniTest, ReadOnlySystemHiddenEndsHiddenOnly)
{
    machine.setAttributesDirectly(bootIni, platform::ReadOnly | platform::System | platform::Hidden);
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Minimal));
    EXPECT_EQ(machine.fileAttributes(bootIni), platform::Hidden);
    ASSERT_TRUE(applyBootChoice(machine, std::nullopt));
    EXPECT_EQ(machine.fileAttributes(bootIni), platform::Hidden);
    EXPECT_EQ(onDisk(), original);
}

TEST_F(BootIniTest, FailedRestoreLeavesFileAndBackupAlone)
{
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Minimal));
    const std::string changed = onDisk();
    machine.setAttributesDirectly(bootIni, platform::ReadOnly);
    machine.refuseAttributeChanges();

    EXPECT_FALSE(applyBootChoice(machine, SafeBootMode::Network));
    EXPECT_EQ(onDisk(), changed);
    EXPECT_EQ(FakeBootPlatform::readFile(backup), original) << "the original is never replaced by a changed file";
}

TEST_F(BootIniTest, SystemRootOnAnotherDrive)
{
    machine.systemRootValue = machine.drive('D') + "WINNT";
    const std::string otherBootIni = machine.writeFile(machine.drive('D') + "boot.ini", original);
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Minimal));
    EXPECT_EQ(FakeBootPlatform::readFile(otherBootIni), typicalWith(" /safeboot:minimal"));
    EXPECT_EQ(FakeBootPlatform::readFile(otherBootIni + ".PLB"), original);
    EXPECT_EQ(onDisk(), original) << "drive C is not touched";
    EXPECT_FALSE(exists(backup));
}

struct RealBootIniCase {
    const char* name;
    const char* file;
    std::string defaultLine; // the default entry's line as it stands
    std::string changedLine;
};

class RealBootIniTest : public ::testing::TestWithParam<RealBootIniCase> {};

TEST_P(RealBootIniTest, OnlyTheDefaultEntryGainsTheSwitch)
{
    const RealBootIniCase& c = GetParam();
    FakeBootPlatform machine;
    std::string text = readTestData(c.file);
    machine.writeFile(machine.bootIni(), text);
    ASSERT_TRUE(safeboot::AddBootSwitch(machine.bootIni(), "/safeboot:minimal"));
    EXPECT_EQ(FakeBootPlatform::readFile(machine.bootIni()),
              text.replace(text.find(c.defaultLine), c.defaultLine.size(), c.changedLine));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealBootIniTest,
    ::testing::Values(
        RealBootIniCase{
            "BlanksBeforeLineEnds", "forum_2010-07_default-is-recovery-console_wubi-spaces-around-equals_boot.ini",
            "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons \n",
            "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons /safeboot:minimal \n"},
        RealBootIniCase{"DefaultEntryNotFirst", "forum_2010-10_default-entry-not-first_boot.ini",
                        "partition(2)\\WINDOWS=\"Microsoft Windows XP Home Edition\" /noexecute=optin /fastdetect \n",
                        "partition(2)\\WINDOWS=\"Microsoft Windows XP Home Edition\" /noexecute=optin /fastdetect "
                        "/safeboot:minimal \n"},
        RealBootIniCase{"CommentHeader", "forum_2009-03_vista-written-comment-header_uppercase-switches_boot.ini",
                        "/NOEXECUTE=OPTIN /FASTDETECT\n", "/NOEXECUTE=OPTIN /FASTDETECT /safeboot:minimal\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BootIniValues, QuotedDescriptionAndLongValuesKeptWhole)
{
    FakeBootPlatform machine;
    const std::string key = "multi(0)disk(0)rdisk(0)partition(1)\\" + std::string(300, 'K');
    const std::string value = "\"" + std::string(400, 'D') + "\"";
    machine.writeFile(machine.bootIni(),
                      "[boot loader]\r\ndefault=" + key + "\r\n[operating systems]\r\n" + key + "=" + value + "\r\n");
    ASSERT_TRUE(safeboot::AddBootSwitch(machine.bootIni(), "/safeboot:network"));
    EXPECT_EQ(FakeBootPlatform::readFile(machine.bootIni()), "[boot loader]\r\ndefault=" + key +
                                                                 "\r\n[operating systems]\r\n" + key + "=" + value +
                                                                 " /safeboot:network\r\n");
}

TEST(BootIniValues, QuotedDefaultNamesItsEntryAndKeepsItsQuotes)
{
    FakeBootPlatform machine;
    const std::string defaultLine = "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";
    const std::string quotedDefault = "default=\"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\"";
    std::string text = readTestData("msdocs_typical_boot.ini");
    text.replace(text.find(defaultLine), defaultLine.size(), quotedDefault);
    machine.writeFile(machine.bootIni(), text);
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Minimal));
    std::string expected = text;
    expected.insert(expected.find(typicalEntry) + typicalEntry.size(), " /safeboot:minimal");
    EXPECT_EQ(FakeBootPlatform::readFile(machine.bootIni()), expected);
}

struct BrokenBootIniCase {
    const char* name;
    std::optional<std::string> text; // nothing: no boot.ini at all
};

class BrokenBootIniTest : public ::testing::TestWithParam<BrokenBootIniCase> {};

TEST_P(BrokenBootIniTest, NoDefaultEntryLeavesTheFileUnchanged)
{
    FakeBootPlatform machine;
    if (GetParam().text)
        machine.writeFile(machine.bootIni(), *GetParam().text);
    EXPECT_FALSE(applyBootChoice(machine, SafeBootMode::Minimal));
    if (GetParam().text) {
        EXPECT_EQ(FakeBootPlatform::readFile(machine.bootIni()), *GetParam().text);
    } else {
        EXPECT_FALSE(exists(machine.bootIni()));
    }
    EXPECT_TRUE(applyBootChoice(machine, std::nullopt)) << "a normal start needs no change";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenBootIniTest,
    ::testing::Values(BrokenBootIniCase{"NoFile", std::nullopt},
                      BrokenBootIniCase{"NoDefaultKey", "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\n"
                                                        "multi(0)=\"XP\"\r\n"},
                      BrokenBootIniCase{"EmptyDefault", "[boot loader]\r\ndefault=\r\n[operating systems]\r\n"
                                                        "=\"XP\"\r\n"},
                      BrokenBootIniCase{"NoEntryForTheDefault", "[boot loader]\r\ndefault=multi(1)\r\n"
                                                                "[operating systems]\r\nmulti(0)=\"XP\"\r\n"},
                      BrokenBootIniCase{"DefaultInTheWrongSection", "[operating systems]\r\ndefault=multi(0)\r\n"
                                                                    "multi(0)=\"XP\"\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class MsdosSysTest : public ::testing::Test {
protected:
    FakeBootPlatform machine;
    std::string msdosSys = machine.msdosSys();

    void SetUp() override { machine.ntPlatform = false; }
    std::string onDisk() const { return FakeBootPlatform::readFile(msdosSys); }
};

struct MsdosModeCase {
    const char* name;
    SafeBootMode mode;
    std::string addedKeys;
};

class MsdosSysModeTest : public MsdosSysTest, public ::testing::WithParamInterface<MsdosModeCase> {};

TEST_P(MsdosSysModeTest, KeysAddedAfterThePaddingAndRemovedByANormalStart)
{
    const std::string text = readTestData("win98_MSDOS.SYS");
    machine.writeFile(msdosSys, text);
    ASSERT_TRUE(applyBootChoice(machine, GetParam().mode));
    std::string expected = text;
    expected.insert(expected.find("BootMenu=0\r\n") + 12, GetParam().addedKeys);
    EXPECT_EQ(onDisk(), expected);
    EXPECT_EQ(FakeBootPlatform::readFile(msdosSys + ".PLB"), text);
    EXPECT_FALSE(exists(machine.bootIni())) << "boot.ini belongs to the other family";

    ASSERT_TRUE(applyBootChoice(machine, std::nullopt));
    EXPECT_EQ(onDisk(), text);
}

INSTANTIATE_TEST_SUITE_P(Modes, MsdosSysModeTest,
                         ::testing::Values(MsdosModeCase{"Minimal", SafeBootMode::Minimal, "BootSafe=1\r\n"},
                                           MsdosModeCase{"Network", SafeBootMode::Network,
                                                         "BootSafe=1\r\nNetwork=1\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MsdosSysTest, MissingMsdosSysIsNeverCreated)
{
    for (const SafeBootMode mode : {SafeBootMode::Minimal, SafeBootMode::Network}) {
        EXPECT_FALSE(applyBootChoice(machine, mode));
        EXPECT_FALSE(exists(msdosSys));
        EXPECT_FALSE(exists(msdosSys + ".PLB"));
    }
    EXPECT_TRUE(applyBootChoice(machine, std::nullopt)) << "a normal start needs no change";
    EXPECT_FALSE(exists(msdosSys));
    EXPECT_TRUE(machine.events.empty()) << "nothing to back up, nothing to restore";
}

TEST_F(MsdosSysTest, ExistingNetworkKeyIsSetInPlace)
{
    std::string text = readTestData("win95_MSDOS.SYS");
    text.replace(text.find("Network=1"), 9, "network=0");
    machine.writeFile(msdosSys, text);
    ASSERT_TRUE(applyBootChoice(machine, SafeBootMode::Network));
    std::string expected = text;
    expected.replace(expected.find("network=0"), 9, "network=1");
    const std::string lastPadding = "xxxxs\r\n";
    expected.insert(expected.find(lastPadding) + lastPadding.size(), "BootSafe=1\r\n");
    EXPECT_EQ(onDisk(), expected);
}

} // namespace

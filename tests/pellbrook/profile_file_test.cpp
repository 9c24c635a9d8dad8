#include "safeboot/profile_file.h"

#include "fake_boot_platform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using safeboot::ProfileFile;
using testing_support::FakeBootPlatform;

class ProfileFileTest : public ::testing::Test {
protected:
    FakeBootPlatform machine;
    std::string path = machine.drive('C') + "test.ini";
};

TEST_F(ProfileFileTest, MissingFileReadsAsFallbackAndIsCreatedOnSave)
{
    auto file = ProfileFile::open(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->value("Options", "BootSafe").value_or("bad"), "bad");
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading creates nothing";
    ASSERT_TRUE(file->setValue("Options", "BootSafe", "1"));
    ASSERT_TRUE(file->save());
    EXPECT_EQ(FakeBootPlatform::readFile(path), "[Options]\r\nBootSafe=1\r\n");
}

TEST_F(ProfileFileTest, SeveralChangesWrittenAtOnce)
{
    machine.writeFile(path, "[Options]\nBootGUI=1\n");
    auto file = ProfileFile::open(path);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->setValue("options", "bootgui", "0"));
    ASSERT_TRUE(file->setValue("Options", "Network", "1"));
    EXPECT_EQ(FakeBootPlatform::readFile(path), "[Options]\nBootGUI=1\n") << "nothing written before save";
    ASSERT_TRUE(file->save());
    EXPECT_EQ(FakeBootPlatform::readFile(path), "[Options]\nBootGUI=0\nNetwork=1\n");
}

TEST_F(ProfileFileTest, QuotedValueReadWithoutItsQuotesOrRaw)
{
    machine.writeFile(path, "[boot loader]\ndefault=\"multi(0)\"\n");
    const auto file = ProfileFile::open(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->value("boot loader", "default"), "multi(0)");
    EXPECT_EQ(file->rawValue("boot loader", "default"), "\"multi(0)\"");
}

TEST_F(ProfileFileTest, UnwritableEntryChangesNothing)
{
    machine.writeFile(path, "[a]\nk=1\n");
    auto file = ProfileFile::open(path);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->setValue("a", "k", "2\nj=3"));
    EXPECT_EQ(file->text(), "[a]\nk=1\n");
}

TEST_F(ProfileFileTest, ReadOnlyFileIsNotWrittenAndKeepsItsBytes)
{
    machine.writeFile(path, "[a]\nk=1\n");
    machine.setAttributesDirectly(path, platform::ReadOnly);
    auto file = ProfileFile::open(path);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->setValue("a", "k", "2"));
    EXPECT_FALSE(file->save());
    EXPECT_EQ(FakeBootPlatform::readFile(path), "[a]\nk=1\n");
}

TEST_F(ProfileFileTest, FolderIsNoProfileFile) { EXPECT_FALSE(ProfileFile::open(machine.drive('D'))); }

} // namespace

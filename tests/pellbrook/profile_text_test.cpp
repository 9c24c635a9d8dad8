#include "safeboot/profile_text.h"

#include "test_data.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using safeboot::profileValue;
using safeboot::withProfileValue;

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class ProfileReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, ReadsTheValue)
{
    const ReadCase& c = GetParam();
    EXPECT_EQ(profileValue(c.text, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileReadTest,
    ::testing::Values(ReadCase{"NamesIgnoreCase", "[Boot Loader]\r\nDefault=x\r\n", "boot loader", "DEFAULT", "x"},
                      ReadCase{"BlanksInBracketsAndAroundEqualsDropped", "[ boot loader ]\n  timeout =\t30 \n",
                               "boot loader", "timeout", "30"},
                      ReadCase{"LoneCrEndsALine", "[a]\rk=1\rj=2", "a", "j", "2"},
                      ReadCase{"MixedLineEnds", "[a]\r\nk=1\nj=2\r", "a", "k", "1"},
                      ReadCase{"LineWithoutEqualsIsNoKey", "[a]\nk\nk=2\n", "a", "k", "2"},
                      ReadCase{"CommentedKeyIsNoKey", "[a]\n;k=1\nk=2\n", "a", "k", "2"},
                      ReadCase{"FirstOfDuplicatesWins", "[a]\nk=1\nk=2\n", "a", "k", "1"},
                      ReadCase{"QuotesKept", "[a]\nk=\"Windows XP\"\n", "a", "k", "\"Windows XP\""},
                      ReadCase{"ValueMayHoldEquals", "[a]\nk=x=y\n", "a", "k", "x=y"},
                      ReadCase{"EmptyValueIsPresent", "[a]\nk=\n", "a", "k", ""},
                      ReadCase{"MissingKey", "[a]\nk=1\n", "a", "j", std::nullopt},
                      ReadCase{"MissingSection", "[a]\nk=1\n", "b", "k", std::nullopt},
                      ReadCase{"KeyOfAnotherSection", "[a]\nk=1\n[b]\nj=2\n", "b", "k", std::nullopt},
                      ReadCase{"KeyBeforeAnySection", "k=1\n[a]\n", "a", "k", std::nullopt},
                      ReadCase{"OnlyTheFirstSectionOfANameCounts", "[a]\nx=1\n[A]\nk=2\n", "a", "k", std::nullopt},
                      ReadCase{"LongValueWhole", "[a]\nk=" + std::string(5000, 'v') + "\n", "a", "k",
                               std::string(5000, 'v')}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::string value;
    std::string expected;
};

class ProfileWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, WritesTheValue)
{
    const WriteCase& c = GetParam();
    const std::string written = withProfileValue(c.text, c.section, c.key, c.value);
    EXPECT_EQ(written, c.expected);
    EXPECT_EQ(profileValue(written, c.section, c.key), c.value) << "reads back";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileWriteTest,
    ::testing::Values(
        WriteCase{"ReplacesInPlaceKeepingEveryOtherByte", "; c\r\n[a]\r\nk = old  \r\n\r\nz=1\n", "a", "k", "new",
                  "; c\r\n[a]\r\nk = new  \r\n\r\nz=1\n"},
        WriteCase{"ReplacesTheFirstOfDuplicates", "[a]\nk=1\nk=2\n", "a", "k", "9", "[a]\nk=9\nk=2\n"},
        WriteCase{"ReplacesWhateverTheCase", "[options]\r\nbootsafe=0\r\n", "Options", "BootSafe", "1",
                  "[options]\r\nbootsafe=1\r\n"},
        WriteCase{"FillsAnEmptyValue", "[a]\nk=\nj=2\n", "a", "k", "v", "[a]\nk=v\nj=2\n"},
        WriteCase{"AddsAfterTheSectionsLastLineBeforeBlanks", "[a]\r\nx=1\r\n;pad\r\n\r\n[b]\r\ny=2\r\n", "a", "k", "v",
                  "[a]\r\nx=1\r\n;pad\r\nk=v\r\n\r\n[b]\r\ny=2\r\n"},
        WriteCase{"AddsToAHeaderOnlySection", "[a]\n[b]\n", "a", "k", "v", "[a]\nk=v\n[b]\n"},
        WriteCase{"AddsAfterAnUnendedLastLine", "[a]\nx=1", "a", "k", "v", "[a]\nx=1\nk=v\n"},
        WriteCase{"AddsInALoneCrFile", "[a]\rx=1\r", "a", "k", "v", "[a]\rx=1\rk=v\r"},
        WriteCase{"AppendsAMissingSectionWithoutBlankLine", "[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n[b]\nk=v\n"},
        WriteCase{"AppendsAfterTheFilesLineBreakWhenItLacksALineEnd", "[a]\nx=1", "b", "k", "v",
                  "[a]\nx=1\n[b]\nk=v\n"},
        WriteCase{"AddsToAnLfBootIniWithLf", "[boot loader]\ntimeout=30\n[operating systems]\nmulti(0)=\"XP\"\n",
                  "boot loader", "default", "multi(0)",
                  "[boot loader]\ntimeout=30\ndefault=multi(0)\n[operating systems]\nmulti(0)=\"XP\"\n"},
        WriteCase{"MixedFileTakesTheBreakOfItsFirstLine", "[a]\r\nx=1\ny=2", "a", "k", "v",
                  "[a]\r\nx=1\ny=2\r\nk=v\r\n"},
        WriteCase{"CreatesFromNothing", "", "Options", "BootSafe", "1", "[Options]\r\nBootSafe=1\r\n"},
        WriteCase{"WritesALongValueWhole", "[a]\nk=1\n", "a", "k", std::string(5000, 'w'),
                  "[a]\nk=" + std::string(5000, 'w') + "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    bool writable;
};

class ProfileEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ProfileEntryTest, RefusesWhatWouldNotReadBack)
{
    const EntryCase& c = GetParam();
    EXPECT_EQ(safeboot::isWritableProfileEntry(c.section, c.key, c.value), c.writable);
}

INSTANTIATE_TEST_SUITE_P(Rules, ProfileEntryTest,
                         ::testing::Values(EntryCase{"Plain", "Options", "BootSafe", "1", true},
                                           EntryCase{"QuotedValueWithBlanks", "os", "multi(0)", "\"XP\" /x", true},
                                           EntryCase{"EnclosedInQuotes", "os", "multi(0)", "\"XP\"", false},
                                           EntryCase{"BracketInSection", "a]b", "k", "1", false},
                                           EntryCase{"EqualsInKey", "a", "k=j", "1", false},
                                           EntryCase{"BreakInValue", "a", "k", "1\r\nj=2", false},
                                           EntryCase{"EmptyKey", "a", "", "1", false},
                                           EntryCase{"BlankAroundKey", "a", " k", "1", false},
                                           EntryCase{"CommentKey", "a", ";k", "1", false},
                                           EntryCase{"HeaderKey", "a", "[k", "1", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A value is read as the system's programs read it: one pair of enclosing
// double quotes removed.

struct StringCase {
    const char* name;
    std::string value; // as the file holds it
    std::string expected;
};

class ProfileStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(ProfileStringTest, ReadsWithoutEnclosingQuotes)
{
    EXPECT_EQ(safeboot::profileString("[a]\r\nk = " + GetParam().value + " \r\n", "a", "k"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileStringTest,
    ::testing::Values(StringCase{"EnclosingPairRemoved", "\"multi(0)disk(0)\\WINDOWS\"", "multi(0)disk(0)\\WINDOWS"},
                      StringCase{"OnlyOnePair", "\"\"x\"\"", "\"x\""}, StringCase{"BlanksInsideKept", "\" x \"", " x "},
                      StringCase{"EmptyPair", "\"\"", ""}, StringCase{"LoneQuoteKept", "\"", "\""},
                      StringCase{"QuotedNameWithSwitchesKept", "\"XP\" /fastdetect", "\"XP\" /fastdetect"},
                      StringCase{"SingleQuotesKept", "'x'", "'x'"}, StringCase{"Unquoted", "30", "30"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileQuotedValues, MissingKeyReadsAsNothing)
{
    EXPECT_EQ(safeboot::profileString("[a]\nk=\"x\"\n", "a", "j"), std::nullopt);
}

TEST(ProfileQuotedValues, WritingTheValueTheFileAlreadyMeansKeepsItsBytes)
{
    const std::string text = "[boot loader]\ndefault=\"multi(0)\\WINDOWS\"\n";
    EXPECT_EQ(withProfileValue(text, "boot loader", "default", "multi(0)\\WINDOWS"), text);
    EXPECT_EQ(withProfileValue(text, "boot loader", "default", "multi(1)"), "[boot loader]\ndefault=multi(1)\n");
}

// Real files: a change touches one place only.

TEST(ProfileRealFiles, Windows98KeyAddedAfterThePaddingOfOptions)
{
    const std::string original = readTestData("win98_MSDOS.SYS");
    const std::string expected = [&] {
        std::string text = original;
        return text.insert(text.find("BootMenu=0\r\n") + 12, "BootSafe=1\r\n");
    }();
    EXPECT_EQ(withProfileValue(original, "Options", "BootSafe", "1"), expected);
}

TEST(ProfileRealFiles, Windows98DuplicateKeyOnlyTheFirstReplaced)
{
    const std::string original = readTestData("win98_MSDOS.SYS");
    std::string expected = original;
    expected.replace(expected.find("Logo=0"), 6, "Logo=1");
    EXPECT_EQ(withProfileValue(original, "options", "LOGO", "1"), expected);
    EXPECT_NE(expected.find("Logo=0"), std::string::npos) << "the second Logo line stays";
}

TEST(ProfileRealFiles, Windows31SystemIni)
{
    const std::string text = readTestData("SYSTEM.INI");
    EXPECT_EQ(profileValue(text, "boot", "shell"), "progman.exe") << "header with trailing blanks";
    EXPECT_EQ(profileValue(text, "boot", "display.drv"), "c:\\dosbga31\\286\\display\\1plane\\dbig_m.drv")
        << "the commented-out line is skipped";
    EXPECT_EQ(profileValue(text, "386enh", "device"), "C:\\WINDOWS\\SYSTEM\\WIN32S\\w32S.386");
    EXPECT_EQ(profileValue(text, "keyboard", "subtype"), "");

    std::string expected = text;
    expected.insert(expected.find("\r\n\r\n[keyboard]") + 2, "new=1\r\n");
    EXPECT_EQ(withProfileValue(text, "boot", "new", "1"), expected);
}

TEST(ProfileRealFiles, BlanksAroundEqualsInABootIni)
{
    const std::string text = readTestData(
        "forum_2010-07_default-is-recovery-console_wubi-spaces-around-equals_boot.ini");
    EXPECT_EQ(profileValue(text, "operating systems", "c:\\WUBILDR.MBR"), "\"Ubuntu\"");
    EXPECT_EQ(profileValue(text, "boot loader", "default"), "C:\\CMDCONS\\BOOTSECT.DAT");
}

} // namespace

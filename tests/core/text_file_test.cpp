#include "core/error.h"
#include "core/hosts/line_count.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using testing_support::FakePlatform;
using Lines = std::vector<std::string_view>;

struct LineBreakCase {
    const char* name;
    std::string_view text;
    Lines lines;
};

void PrintTo(const LineBreakCase& c, std::ostream* os) { *os << c.name; }

class LineBreaks : public testing::TestWithParam<LineBreakCase> {};

TEST_P(LineBreaks, SplitsAndCountsTheSameLines)
{
    const LineBreakCase& c = GetParam();
    EXPECT_EQ(vendrel::splitLines(c.text), c.lines);
    EXPECT_EQ(vendrel::countLines(c.text), c.lines.size());
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, LineBreaks,
    testing::Values(
        LineBreakCase{"EmptyTextHasNoLines", "", {}}, LineBreakCase{"TextWithoutBreakIsOneLine", "a", {"a"}},
        LineBreakCase{"LfBreaks", "a\nb", {"a", "b"}}, LineBreakCase{"LoneCrBreaks", "a\rb", {"a", "b"}},
        LineBreakCase{"CrLfIsOneBreak", "a\r\nb", {"a", "b"}}, LineBreakCase{"FinalLfAddsNoLine", "a\nb\n", {"a", "b"}},
        LineBreakCase{"FinalCrAddsNoLine", "a\r", {"a"}}, LineBreakCase{"FinalCrLfAddsNoLine", "a\r\n", {"a"}},
        LineBreakCase{"LoneBreakIsOneEmptyLine", "\n", {""}},
        LineBreakCase{"EmptyLinesInsideAreKept", "a\n\n\nb", {"a", "", "", "b"}},
        LineBreakCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
        LineBreakCase{"CrCrLfIsTwoBreaks", "a\r\r\nb", {"a", "", "b"}},
        LineBreakCase{"MixedBreaksInOneText", "a\r\nb\nc\rd\r\n", {"a", "b", "c", "d"}},
        LineBreakCase{"OnlyCrLfPairs", "\r\n\r\n", {"", ""}},
        LineBreakCase{"TabsAndBlanksAreNotBreaks", " \ta b\t", {" \ta b\t"}}),
    [](const testing::TestParamInfo<LineBreakCase>& info) { return std::string(info.param.name); });

class TextFileIo : public testing::Test {
protected:
    FakePlatform fake;
    std::string path(const std::string& name) const { return fake.root() + "/" + name; }
};

TEST_F(TextFileIo, WriteTextLinesEndsEveryLineWithCrLfIncludingTheLast)
{
    const std::string file = path("lines.txt");
    vendrel::writeTextLines(file, {"first", "", "third line"});
    EXPECT_EQ(FakePlatform::readFile(file), "first\r\n\r\nthird line\r\n");
}

TEST_F(TextFileIo, WriteTextLinesOfNoLinesLeavesAnEmptyFile)
{
    const std::string file = fake.writeFile(path("old.txt"), "old content\n");
    vendrel::writeTextLines(file, {});
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(FakePlatform::readFile(file), "");
}

TEST_F(TextFileIo, ReadWholeFileKeepsEveryByte)
{
    // NUL, CR, bytes above 0x7F and a missing final break all come back as they are.
    const std::string bytes("a\0b\r\n\xFF\xFE\x80z", 10);
    const std::string file = fake.writeFile(path("binary"), bytes);
    EXPECT_EQ(vendrel::readWholeFile(file), bytes);
}

TEST_F(TextFileIo, ReadWholeFileReadsFilesOfUnknownSizeToTheEnd)
{
    // Files under /proc report a size of 0 yet have content.
    const std::string text = vendrel::readWholeFile("/proc/self/status");
    EXPECT_TRUE(text.starts_with("Name:")) << text.substr(0, 40);
    EXPECT_NE(text.find("\nPid:"), std::string::npos);
}

TEST_F(TextFileIo, ReadWholeFileOfMissingFileNamesTheFile)
{
    const std::string file = path("no-such-file");
    try {
        vendrel::readWholeFile(file);
        FAIL() << "reading a missing file did not throw";
    } catch (const vendrel::Error& error) {
        EXPECT_TRUE(std::string_view(error.what()).starts_with("Cannot open file " + file)) << error.what();
    }
}

TEST(LineCount, StatusTextIsCountThenLinesIdle)
{
    EXPECT_EQ(vendrel::lineCountText(27), "27 Lines - Idle");
    EXPECT_EQ(vendrel::lineCountText(1234567), "1234567 Lines - Idle");
}

} // namespace

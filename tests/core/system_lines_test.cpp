#include "core/hosts/line_ends.h"
#include "core/hosts/system_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LineCase {
    const char* line;
    bool system;
};

// The machine is "myhost.example.org".
class SystemLine : public testing::TestWithParam<LineCase> {};

TEST_P(SystemLine, IsToldByItsAddressOrTheMachinesName)
{
    const vendrel::SystemLines rule("MyHost.example.org");
    EXPECT_EQ(rule.isSystemLine(GetParam().line), GetParam().system) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    SystemLines, SystemLine,
    testing::Values(LineCase{"::1     localhost ip6-localhost", true}, LineCase{"0:0:0:0:0:0:0:1 loop", true},
                    LineCase{"fe00::0 ip6-localnet", true}, LineCase{"fe80::1%lo0 localhost", true},
                    LineCase{"FF02::2\tip6-allrouters", true}, LineCase{"2001:db8::1 public.example", false},
                    LineCase{"::2 not.loopback", false}, LineCase{"1:2:3:4:5:6:7:8:9 too.long", false},
                    LineCase{"127.0.1.1 other", true}, LineCase{"127.0.0.53 resolver", true},
                    LineCase{"127.0.0.1 ads.example", false}, LineCase{"127.0.0.1 localhost", false},
                    LineCase{"127.0.0.1 localhost localhost.localdomain", true},
                    LineCase{"127.0.0.1 localhost.localdomain", false}, LineCase{"127.0.0.256 bad", false},
                    LineCase{"0.0.0.0 MYHOST", true}, LineCase{"10.0.0.2 myhost.example.org", true},
                    LineCase{"0.0.0.0 myhost.ads.example", false}, LineCase{"0.0.0.0 ads # myhost", false},
                    LineCase{"#::1 localhost", false}, LineCase{"# 127.0.1.1 myhost", false}, LineCase{"", false}));

TEST(SystemLines, AreKeptOnceEachHoweverTheyAreSpaced)
{
    vendrel::SystemBlock block;
    EXPECT_TRUE(block.add("ff02::1 ip6-allnodes"));
    EXPECT_FALSE(block.add("FF02::1\t\tip6-allnodes "));
    EXPECT_TRUE(block.add("ff02::1 ip6-allnodes # note"));
    EXPECT_EQ(block.lines(), (std::vector<std::string>{"ff02::1 ip6-allnodes", "ff02::1 ip6-allnodes # note"}));
}

struct BreakCase {
    const char* name;
    std::string text;
    std::string_view lineBreak; // the text's, the platform's being CR LF
    std::string asLineFeeds;
    std::string asCrLf;
};

void PrintTo(const BreakCase& c, std::ostream* os) { *os << c.name; }

class LineBreakOfAFile : public testing::TestWithParam<BreakCase> {};

TEST_P(LineBreakOfAFile, FollowsTheFirstLineAndMakesEveryBreakOneKind)
{
    const BreakCase& c = GetParam();
    EXPECT_EQ(vendrel::lineBreakOf(c.text, vendrel::crLf), c.lineBreak);
    EXPECT_EQ(vendrel::withLineBreaks(c.text, vendrel::lineFeed), c.asLineFeeds);
    EXPECT_EQ(vendrel::withLineBreaks(c.text, vendrel::crLf), c.asCrLf);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, LineBreakOfAFile,
    testing::Values(BreakCase{"Lf", "a\nb\n", vendrel::lineFeed, "a\nb\n", "a\r\nb\r\n"},
                    BreakCase{"CrLf", "a\r\nb\r\n", vendrel::crLf, "a\nb\n", "a\r\nb\r\n"},
                    BreakCase{"MixedTakesTheFirst", "a\nb\r\nc", vendrel::lineFeed, "a\nb\nc", "a\r\nb\r\nc"},
                    BreakCase{"LoneCrIsTheFallback", "a\rb\r", vendrel::crLf, "a\nb\n", "a\r\nb\r\n"},
                    BreakCase{"NoBreakIsTheFallback", "a", vendrel::crLf, "a", "a"},
                    BreakCase{"EmptyLinesStay", "\r\n\n\r", vendrel::crLf, "\n\n\n", "\r\n\r\n\r\n"}),
    [](const testing::TestParamInfo<BreakCase>& info) { return std::string(info.param.name); });

} // namespace

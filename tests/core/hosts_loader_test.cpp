#include "core/error.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include "fake_platform.h"

#include "rows_test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using testing_support::FakePlatform;
using rows_test_support::Cells;
using rows_test_support::cellsOf;

const std::string dataFolder = VENDREL_TEST_DATA;

vendrel::LoadedHosts parse(std::string text) { return vendrel::parseHostsText(std::move(text), "test-hosts"); }

// ---------------------------------------------------------------------------
// One line of text and the two cells it becomes.

struct LineCase {
    const char* name;
    std::string line;
    std::string address;
    std::string host;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class LineSplitting : public testing::TestWithParam<LineCase> {};

TEST_P(LineSplitting, GivesAddressAndHostCells)
{
    const LineCase& c = GetParam();
    const vendrel::LoadedHosts loaded = parse(c.line);
    ASSERT_EQ(loaded.rows.size(), 1u);
    EXPECT_EQ(loaded.rows.address(0), c.address);
    EXPECT_EQ(loaded.rows.host(0), c.host);
}

INSTANTIATE_TEST_SUITE_P(
    HostsLoader, LineSplitting,
    testing::Values(LineCase{"AddressAndName", "127.0.0.1 localhost", "127.0.0.1", "localhost"},
                    LineCase{"TabsBecomeBlanksInTheRest", "addr\thost\t# remark", "addr", "host # remark"},
                    LineCase{"CommentedEntryKeepsHashInAddress", "#127.0.0.1 host", "#127.0.0.1", "host"},
                    LineCase{"CommentWordsFollowTheHash", "# For example:", "#", "For example:"},
                    LineCase{"LoneHashIsAnAddress", "#", "#", ""},
                    LineCase{"HashWithTrailingTabAndBlankIsLoneHash", "#\t ", "#", ""},
                    LineCase{"HashTabLineSplitsAtTheTab", "#\t::1             localhost", "#",
                             "::1             localhost"},
                    LineCase{"SingleWordIsAHost", "word", "", "word"}, LineCase{"EmptyLine", "", "", ""},
                    LineCase{"OnlyBlanksAndTabs", "  \t ", "", ""},
                    LineCase{"InnerBlanksOfTheRestAreKept", "127.0.0.1    example.com     # remark", "127.0.0.1",
                             "example.com     # remark"},
                    LineCase{"LeadingAndTrailingBlanksAreTrimmed", "   1.2.3.4 host   ", "1.2.3.4", "host"},
                    LineCase{"TabLedLine", "\t127.0.0.1       localhost", "127.0.0.1", "localhost"},
                    LineCase{"TrailingTabsAreTrimmed", "0.0.0.0 counsel.umeng.com \t", "0.0.0.0", "counsel.umeng.com"},
                    LineCase{"ControlCharsAreTrimmedLikeBlanks",
                             "\v\x01"
                             "1.2.3.4 host\f\x1f",
                             "1.2.3.4", "host"},
                    LineCase{"ControlCharsBeforeTheHostAreSkipped", "1.2.3.4 \x01\x02host", "1.2.3.4", "host"},
                    LineCase{"ControlCharInsideAWordDoesNotSplit",
                             "a\x01"
                             "b c",
                             "a\x01"
                             "b",
                             "c"},
                    LineCase{"DeleteCharIsNotTrimmed",
                             "\x7f"
                             "a b\x7f",
                             "\x7f"
                             "a",
                             "b\x7f"},
                    // 0xA0 is a no-break space in Western code pages and negative as a signed char:
                    // such bytes belong to the text and must survive the trim.
                    LineCase{"HighBytesAreNotTrimmed",
                             "\xA0"
                             "addr host\xA0",
                             "\xA0"
                             "addr",
                             "host\xA0"},
                    LineCase{"HighBytesAreKeptByteForByte", "10.0.0.1 caf\xE9.\xC3\xA9t\xC3\xA9", "10.0.0.1",
                             "caf\xE9.\xC3\xA9t\xC3\xA9"},
                    LineCase{"UtfEightMarkLaterInTextIsOrdinaryBytes",
                             "a \xEF\xBB\xBF"
                             "b",
                             "a",
                             "\xEF\xBB\xBF"
                             "b"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(HostsLoader, LongLinesAreKeptWhole)
{
    const std::string host(5000, 'h');
    const std::string address = "#" + std::string(1200, '1');
    const vendrel::LoadedHosts loaded = parse(address + " " + host + " end\r\nnext\r\n");
    ASSERT_EQ(loaded.rows.size(), 2u);
    EXPECT_EQ(loaded.rows.address(0), address);
    EXPECT_EQ(loaded.rows.host(0), host + " end");
    EXPECT_EQ(loaded.rows.host(1), "next");
}

TEST(HostsLoader, OneRowPerLineWhateverTheBreaks)
{
    const vendrel::LoadedHosts loaded = parse("a 1\r\nb 2\nc 3\rd 4\r\n\r\n");
    const std::vector<Cells> expected = {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"", ""}};
    EXPECT_EQ(cellsOf(loaded.rows), expected);
}

TEST(HostsLoader, EmptyFileGivesOneEmptyRow)
{
    FakePlatform fake;
    const std::string path = fake.writeFile(fake.hostsPath(), "");
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(path);
    ASSERT_EQ(loaded.rows.size(), 1u);
    EXPECT_EQ(loaded.rows.address(0), "");
    EXPECT_EQ(loaded.rows.host(0), "");
    EXPECT_FALSE(loaded.redirectAddress.has_value());
    EXPECT_FALSE(loaded.rows.utf8ByteOrderMark());
}

TEST(HostsLoader, RowCountWithoutLoadingAgreesOnOddFiles)
{
    FakePlatform fake;
    for (const std::string text : {"", "\xEF\xBB\xBF", "a", "a\r", "a\r\n\r\n", "\n\n\r", "\xEF\xBB\xBF\r\nb"}) {
        const std::string path = fake.writeFile(fake.hostsPath(), text);
        EXPECT_EQ(vendrel::countHostsFileRows(path), vendrel::loadHostsFile(path).rows.size()) << text;
    }
    const std::string utf16 = fake.writeFile(fake.hostsPath(), std::string("\xFF\xFE"
                                                                           "a\0",
                                                                           4));
    EXPECT_THROW(vendrel::countHostsFileRows(utf16), vendrel::Error);
}

// The word search the redirect line is found with: any case, anywhere, also
// where a false start overlaps the word.
TEST(HostsLoader, WordSearchIgnoresCaseAndFindsEveryPlace)
{
    const vendrel::AsciiCaseSearch search("localhost");
    EXPECT_EQ(search.find("LocalHost"), 0u);
    EXPECT_EQ(search.find("xx localhosT"), 3u);
    EXPECT_EQ(search.find("locallocalhost"), 5u);
    EXPECT_EQ(search.find("localhos"), std::string_view::npos);
    EXPECT_EQ(search.find("localhost localhost", 1), 10u);
    EXPECT_EQ(search.find("localhost", 10), std::string_view::npos);
    EXPECT_EQ(search.find("t.localhostt", 0), 2u);
    EXPECT_EQ(search.find("LOCALHOST\xE9", 0), 0u);
    EXPECT_EQ(search.find("lOcAlHoSt"), 0u);
}

// ---------------------------------------------------------------------------
// The redirect address: where "localhost" points.

struct RedirectCase {
    const char* name;
    std::string text;
    std::optional<std::string> address;
};

void PrintTo(const RedirectCase& c, std::ostream* os) { *os << c.name; }

class RedirectAddress : public testing::TestWithParam<RedirectCase> {};

TEST_P(RedirectAddress, IsTheAddressOfTheLastLocalhostLine)
{
    EXPECT_EQ(parse(GetParam().text).redirectAddress, GetParam().address);
}

// Commands that work on the file's text find the same line without loading rows.
TEST_P(RedirectAddress, IsFoundInTheTextAsTheLoadFindsIt)
{
    const vendrel::LoadedHosts loaded = parse(GetParam().text);
    const std::optional<vendrel::RedirectLine> found = vendrel::findRedirectLine(GetParam().text);
    ASSERT_EQ(found.has_value(), loaded.redirectAddress.has_value());
    if (found) {
        EXPECT_EQ(found->address, *loaded.redirectAddress);
        EXPECT_EQ(found->line, loaded.redirectLine);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostsLoader, RedirectAddress,
    testing::Values(RedirectCase{"PlainLocalhostLine", "# hosts\r\n127.0.0.1 localhost\r\n", "127.0.0.1"},
                    RedirectCase{"CaseIsIgnored", "10.0.0.2 LocalHost\n", "10.0.0.2"},
                    RedirectCase{"TabSeparatedLine", "\t127.0.0.1\tlocalhost\t\n", "127.0.0.1"},
                    RedirectCase{"RemarkAfterNameDoesNotCount", "127.0.0.1 localhost # x\n", std::nullopt},
                    RedirectCase{"CommentedLineCountsWithItsHash", "#127.0.0.1 localhost\n", "#127.0.0.1"},
                    RedirectCase{"HashAloneCountsAsAddress", "# localhost\n", "#"},
                    RedirectCase{"LaterLineOverridesEarlier", "0.0.0.0 localhost\n127.0.0.1 localhost\n", "127.0.0.1"},
                    RedirectCase{"Ipv6LinesArePassedOver",
                                 "127.0.0.1 localhost\n::1 localhost\n#fe80::1%lo0 localhost\n", "127.0.0.1"},
                    RedirectCase{"LaterNonMatchingLineDoesNotClear", "127.0.0.1 localhost\n1.2.3.4 example.com\n",
                                 "127.0.0.1"},
                    RedirectCase{"NameWithoutAddressGivesEmptyAddress", "localhost\n", ""},
                    RedirectCase{"LongerNameDoesNotCount", "127.0.0.1 localhost.localdomain\n", std::nullopt},
                    RedirectCase{"SecondNameOnLineDoesNotCount", "127.0.0.1 localhost myhost\n", std::nullopt},
                    RedirectCase{"NoLocalhostLine", "1.2.3.4 example.com\n", std::nullopt},
                    RedirectCase{"EmptyText", "", std::nullopt}),
    [](const testing::TestParamInfo<RedirectCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Text the list cannot hold, and the UTF-8 mark it can.

struct RefusedCase {
    const char* name;
    std::string text;
    std::string reason;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedText : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedText, ThrowsErrorNamingPathAndReason)
{
    const RefusedCase& c = GetParam();
    FakePlatform fake;
    const std::string path = fake.writeFile(fake.hostsPath(), c.text);
    try {
        vendrel::loadHostsFile(path);
        FAIL() << "the text was accepted";
    } catch (const vendrel::Error& error) {
        const std::string_view message = error.what();
        EXPECT_NE(message.find(path), std::string_view::npos) << message;
        EXPECT_NE(message.find(c.reason), std::string_view::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(HostsLoader, RefusedText,
                         testing::Values(RefusedCase{"NulInsideALine", std::string("127.0.0.1 local\0host\r\n", 22),
                                                     "NUL"},
                                         RefusedCase{"Utf16LittleEndianMark",
                                                     std::string("\xFF\xFE"
                                                                 "1\0"
                                                                 "2\0",
                                                                 6),
                                                     "UTF-16"},
                                         RefusedCase{"Utf16BigEndianMark",
                                                     std::string("\xFE\xFF\0"
                                                                 "1\0"
                                                                 "2",
                                                                 6),
                                                     "UTF-16"},
                                         RefusedCase{"Utf32LittleEndianMark",
                                                     std::string("\xFF\xFE\0\0"
                                                                 "1\0\0\0",
                                                                 8),
                                                     "UTF-32"},
                                         RefusedCase{"Utf32BigEndianMark",
                                                     std::string("\0\0\xFE\xFF"
                                                                 "\0\0\0"
                                                                 "1",
                                                                 8),
                                                     "UTF-32"}),
                         [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(HostsLoader, Utf8MarkIsSetAsideAndWrittenBackInFront)
{
    const vendrel::LoadedHosts loaded = parse("\xEF\xBB\xBF"
                                              "127.0.0.1 localhost\r\n# end\r\n");
    EXPECT_TRUE(loaded.rows.utf8ByteOrderMark());
    ASSERT_EQ(loaded.rows.size(), 2u);
    EXPECT_EQ(loaded.rows.address(0), "127.0.0.1");
    EXPECT_EQ(loaded.rows.host(0), "localhost");
    EXPECT_EQ(loaded.redirectAddress, "127.0.0.1");
    EXPECT_EQ(vendrel::formatList(loaded.rows), "\xEF\xBB\xBF"
                                                "127.0.0.1\tlocalhost\r\n#\tend\r\n");
}

// An address cell may begin with the bytes of a UTF-16 mark ("\xFF\xFE" in
// Windows-1252); saved first in the list, the file must load again.
TEST(HostsLoader, Utf16MarkBytesWithoutNulAreEightBitText)
{
    const vendrel::LoadedHosts loaded = parse(" \xFF\xFE x\n");
    EXPECT_EQ(loaded.rows.address(0), "\xFF\xFE");
    const vendrel::LoadedHosts reloaded = parse(vendrel::formatList(loaded.rows));
    EXPECT_EQ(reloaded.rows.address(0), "\xFF\xFE");
    EXPECT_EQ(reloaded.rows.host(0), "x");
}

TEST(HostsLoader, Utf8MarkAloneGivesOneEmptyRow)
{
    const vendrel::LoadedHosts loaded = parse("\xEF\xBB\xBF");
    EXPECT_TRUE(loaded.rows.utf8ByteOrderMark());
    ASSERT_EQ(loaded.rows.size(), 1u);
    EXPECT_EQ(loaded.rows.address(0), "");
    EXPECT_EQ(loaded.rows.host(0), "");
}

// ---------------------------------------------------------------------------
// Real hosts files.

class RealHostsFile : public testing::TestWithParam<const char*> {
protected:
    std::string path() const { return dataFolder + "/" + GetParam(); }
};

TEST_P(RealHostsFile, GivesOneRowPerLineWithTrimmedTabFreeCells)
{
    const std::string text = vendrel::readWholeFile(path());
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(path());
    ASSERT_EQ(loaded.rows.size(), vendrel::countLines(text));
    const auto isTrimmed = [](std::string_view cell) {
        return cell.empty() ||
               (static_cast<unsigned char>(cell.front()) > 32 && static_cast<unsigned char>(cell.back()) > 32);
    };
    for (std::size_t row = 0; row < loaded.rows.size(); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const std::string_view address = loaded.rows.address(row);
        const std::string_view host = loaded.rows.host(row);
        EXPECT_TRUE(isTrimmed(address));
        EXPECT_TRUE(isTrimmed(host));
        EXPECT_EQ(address.find_first_of(" \t"), std::string_view::npos) << address;
        EXPECT_EQ(host.find('\t'), std::string_view::npos) << host;
    }
}

TEST_P(RealHostsFile, SavedListLoadsBackToTheSameCells)
{
    // The editor saves over the hosts file and opens it again later: the
    // second load must show exactly what the first one did.
    FakePlatform fake;
    const vendrel::LoadedHosts first = vendrel::loadHostsFile(path());
    vendrel::SaveList(first.rows, fake.hostsPath());
    const vendrel::LoadedHosts second = vendrel::loadHostsFile(fake.hostsPath());
    EXPECT_EQ(cellsOf(second.rows), cellsOf(first.rows));
    EXPECT_EQ(second.redirectAddress, first.redirectAddress);
}

TEST_P(RealHostsFile, RowsAreCountedAndTheRedirectLineFoundWithoutLoading)
{
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(path());
    EXPECT_EQ(vendrel::countHostsFileRows(path()), loaded.rows.size());
    const std::optional<vendrel::RedirectLine> found = vendrel::findRedirectLine(vendrel::readWholeFile(path()));
    ASSERT_EQ(found.has_value(), loaded.redirectAddress.has_value());
    if (found) {
        EXPECT_EQ(found->address, *loaded.redirectAddress);
        EXPECT_EQ(found->line, loaded.redirectLine);
    }
}

INSTANTIATE_TEST_SUITE_P(HostsLoader, RealHostsFile,
                         testing::Values("abadi199_hosts_lan-mappings_no-final-newline",
                                         "arcaz21_hosts_tab-led-line_unchecky-block", "fademind_add.2o7Net_hosts_crlf",
                                         "minecraft-hosts_domains-only_no-ip", "s8seer_hosts_edited-header",
                                         "stevenblack-fork_myhosts.example", "urlhaus_hosts_tab-separated",
                                         "whatzittooya_hosts_bang-comments_trailing-tabs",
                                         "windows-default-hosts_excerpt.txt",
                                         "yabooo666_hosts_leading-trailing-spaces"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// Rows of interest in the real files, by zero-based row number.
struct RealRowCase {
    const char* name;
    const char* file;
    std::size_t row;
    std::string address;
    std::string host;
};

void PrintTo(const RealRowCase& c, std::ostream* os) { *os << c.name; }

class RealHostsRow : public testing::TestWithParam<RealRowCase> {};

TEST_P(RealHostsRow, HasTheExpectedCells)
{
    const RealRowCase& c = GetParam();
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(dataFolder + "/" + c.file);
    ASSERT_LT(c.row, loaded.rows.size());
    EXPECT_EQ(loaded.rows.address(c.row), c.address);
    EXPECT_EQ(loaded.rows.host(c.row), c.host);
}

INSTANTIATE_TEST_SUITE_P(
    HostsLoader, RealHostsRow,
    testing::Values(
        RealRowCase{"TabLedLocalhost", "arcaz21_hosts_tab-led-line_unchecky-block", 19, "127.0.0.1", "localhost"},
        RealRowCase{"HashTabLine", "arcaz21_hosts_tab-led-line_unchecky-block", 20, "#", "::1             localhost"},
        RealRowCase{"IndentedExampleKeepsInnerBlanks", "arcaz21_hosts_tab-led-line_unchecky-block", 15, "#",
                    "102.54.94.97     rhino.acme.com          # source server"},
        RealRowCase{"LastLineWithoutBreak", "abadi199_hosts_lan-mappings_no-final-newline", 26, "10.254.166.29",
                    "cassy"},
        RealRowCase{"NameWithoutAddress", "minecraft-hosts_domains-only_no-ip", 3, "", "analytics.atlauncher.com"},
        RealRowCase{"BlankLedEntry", "yabooo666_hosts_leading-trailing-spaces", 22, "127.0.0.1", "cdn.rgsvc.io"},
        RealRowCase{"TwoBlanksBetweenAddressAndName", "s8seer_hosts_edited-header", 22, "127.0.0.1",
                    "data.microsoft.com"},
        RealRowCase{"TabSeparatedEntry", "urlhaus_hosts_tab-separated", 8, "127.0.0.1", "0022a601.pphost.net"},
        RealRowCase{"BlankThenTabAtLineEnd", "whatzittooya_hosts_bang-comments_trailing-tabs", 280, "0.0.0.0",
                    "counsel.umeng.com"}),
    [](const testing::TestParamInfo<RealRowCase>& info) { return std::string(info.param.name); });

struct RealRedirectCase {
    const char* name;
    const char* file;
    std::optional<std::string> address;
};

void PrintTo(const RealRedirectCase& c, std::ostream* os) { *os << c.name; }

class RealHostsRedirect : public testing::TestWithParam<RealRedirectCase> {};

TEST_P(RealHostsRedirect, FindsTheLocalhostAddress)
{
    const RealRedirectCase& c = GetParam();
    EXPECT_EQ(vendrel::loadHostsFile(dataFolder + "/" + c.file).redirectAddress, c.address);
}

INSTANTIATE_TEST_SUITE_P(
    HostsLoader, RealHostsRedirect,
    testing::Values(RealRedirectCase{"TabLedLineIsTheEntry", "arcaz21_hosts_tab-led-line_unchecky-block", "127.0.0.1"},
                    RealRedirectCase{"OnlyHashTabLinesGiveNone", "abadi199_hosts_lan-mappings_no-final-newline",
                                     std::nullopt},
                    RealRedirectCase{"HashBlankEntriesDoNotCount", "s8seer_hosts_edited-header", std::nullopt},
                    RealRedirectCase{"NoLocalhostAtAll", "minecraft-hosts_domains-only_no-ip", std::nullopt}),
    [](const testing::TestParamInfo<RealRedirectCase>& info) { return std::string(info.param.name); });

} // namespace

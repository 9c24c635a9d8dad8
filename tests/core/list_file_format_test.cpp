#include "core/error.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"

#include "fake_platform.h"

#include "rows_test_support.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::FakePlatform;
using rows_test_support::Cells;
using rows_test_support::cellsOf;
using rows_test_support::rowsOf;

// ---------------------------------------------------------------------------
// One row and the saved line it becomes; the line also parses back to the row.

struct LineCase {
    const char* name;
    std::string address;
    std::string host;
    std::string line;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class SavedLine : public testing::TestWithParam<LineCase> {};

TEST_P(SavedLine, IsFormattedAsExpected)
{
    const LineCase& c = GetParam();
    EXPECT_EQ(vendrel::formatList(rowsOf({{c.address, c.host}})), c.line + "\r\n");
}

TEST_P(SavedLine, ParsesBackToTheCells)
{
    const LineCase& c = GetParam();
    EXPECT_EQ(vendrel::parseListLine(c.line), Cells(c.address, c.host));
}

INSTANTIATE_TEST_SUITE_P(ListFileFormat, SavedLine,
                         testing::Values(LineCase{"AddressTabHost", "127.0.0.1", "localhost", "127.0.0.1\tlocalhost"},
                                         LineCase{"EmptyRowIsLoneTab", "", "", "\t"},
                                         LineCase{"AddressOnly", "#", "", "#\t"},
                                         LineCase{"HostOnly", "", "example.com", "\texample.com"},
                                         LineCase{"BlanksWithoutTabAreNotQuoted", "0.0.0.0", "a.com   # remark",
                                                  "0.0.0.0\ta.com   # remark"},
                                         LineCase{"TrailingBlankWithoutTabIsNotQuoted", "a ", "b ", "a \tb "},
                                         LineCase{"AddressWithTabIsQuoted", "a\tb", "host", " a\tb \thost"},
                                         LineCase{"HostWithTabIsQuoted", "addr", "x\ty", "addr\t x\ty "},
                                         LineCase{"BlanksInQuotedCellAreDoubled", "addr", "a b\tc", "addr\t a  b\tc "},
                                         LineCase{"QuotedCellEndingInBlank", "a\t ", "h", " a\t   \th"},
                                         LineCase{"QuotedCellOfOnlyATab", "\t", "\t", " \t \t \t "},
                                         LineCase{"BothCellsQuoted", " \t ", "\t x", "   \t   \t \t  x "},
                                         LineCase{"HighBytesPassThrough", "\xA0", "caf\xE9", "\xA0\tcaf\xE9"}),
                         [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

struct ParseOnlyCase {
    const char* name;
    std::string line;
    std::string address;
    std::string host;
};

void PrintTo(const ParseOnlyCase& c, std::ostream* os) { *os << c.name; }

class ListLineParsing : public testing::TestWithParam<ParseOnlyCase> {};

TEST_P(ListLineParsing, SplitsAtTheFirstTab)
{
    const ParseOnlyCase& c = GetParam();
    EXPECT_EQ(vendrel::parseListLine(c.line), Cells(c.address, c.host));
}

INSTANTIATE_TEST_SUITE_P(ListFileFormat, ListLineParsing,
                         testing::Values(ParseOnlyCase{"EmptyLine", "", "", ""},
                                         ParseOnlyCase{"NoTabIsAllAddress", "abc", "abc", ""},
                                         ParseOnlyCase{"HostTakesTheRestWithItsTabs", "a\tb\tc", "a", "b\tc"},
                                         ParseOnlyCase{"QuotedAddressThenPlainHost", " x\ty \tz", "x\ty", "z"}),
                         [](const testing::TestParamInfo<ParseOnlyCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ListFileFormat, Utf8MarkIsWrittenOnceInFrontOfTheFirstLine)
{
    vendrel::HostsRows rows = rowsOf({{"a", "b"}, {"c", "d"}});
    rows.setUtf8ByteOrderMark(true);
    EXPECT_EQ(vendrel::formatList(rows), "\xEF\xBB\xBF"
                                         "a\tb\r\nc\td\r\n");
}

// ---------------------------------------------------------------------------
// Saving and reading back.

class ListFile : public testing::Test {
protected:
    FakePlatform fake;
    std::string path(const std::string& name) const { return fake.root() + "/" + name; }
};

TEST_F(ListFile, SaveListWritesFormattedText)
{
    const vendrel::HostsRows rows = rowsOf({{"127.0.0.1", "localhost"}, {"a\tb", "c d"}});
    const std::string file = path("saved");
    vendrel::SaveList(rows, file);
    EXPECT_EQ(FakePlatform::readFile(file), vendrel::formatList(rows));
}

struct RoundTripCase {
    const char* name;
    std::vector<Cells> cells;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class ListRoundTrip : public testing::TestWithParam<RoundTripCase> {
protected:
    FakePlatform fake;
};

TEST_P(ListRoundTrip, ReadListFileGivesTheSavedCells)
{
    const std::string file = fake.root() + "/list";
    vendrel::SaveList(rowsOf(GetParam().cells), file);
    EXPECT_EQ(cellsOf(vendrel::readListFile(file)), GetParam().cells);
}

INSTANTIATE_TEST_SUITE_P(
    ListFileFormat, ListRoundTrip,
    testing::Values(RoundTripCase{"PlainRows", {{"#", "header"}, {"127.0.0.1", "localhost"}}},
                    RoundTripCase{"OneEmptyRow", {{"", ""}}},
                    RoundTripCase{"EmptyRowsAmongOthers", {{"", ""}, {"a", "b"}, {"", ""}, {"", ""}, {"c", ""}}},
                    RoundTripCase{"CellsWithTabs", {{"a\tb", "c\td"}, {"\t", "\t\t"}, {"x\t", "\ty"}}},
                    RoundTripCase{"CellsWithTabsAndBlanks", {{"a b\tc", " \t "}, {"x  \t  y", "p\t q r "}}},
                    RoundTripCase{"InnerAndTrailingBlanks", {{"a b", "c  d  "}, {"1.2.3.4", "host # remark"}}},
                    // A leading blank is also what opens a quoted cell, so these must not be mistaken for one.
                    RoundTripCase{"CellsStartingWithABlank", {{" lead", "x"}, {"y", " lead"}, {" ", " "}}},
                    RoundTripCase{"HighBytes", {{"\xA0\xFF", "caf\xE9 \xC3\xA9"}}}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

TEST_F(ListFile, Utf8MarkSurvivesSaveAndReadListFile)
{
    // SaveList puts the mark in front of the first line; reading must set it aside again.
    vendrel::HostsRows rows = rowsOf({{"127.0.0.1", "localhost"}, {"#", "end"}});
    rows.setUtf8ByteOrderMark(true);
    const std::string file = path("list");
    vendrel::SaveList(rows, file);
    const vendrel::HostsRows read = vendrel::readListFile(file);
    EXPECT_EQ(cellsOf(read), cellsOf(rows));
    EXPECT_TRUE(read.utf8ByteOrderMark());
}

TEST_F(ListFile, Utf8MarkSurvivesSaveAndLoadHostsFile)
{
    const vendrel::LoadedHosts loaded = vendrel::parseHostsText("\xEF\xBB\xBF"
                                                                "127.0.0.1 localhost\r\n",
                                                                "hosts");
    const std::string file = path("hosts");
    vendrel::SaveList(loaded.rows, file);
    EXPECT_EQ(FakePlatform::readFile(file), "\xEF\xBB\xBF"
                                            "127.0.0.1\tlocalhost\r\n");
    const vendrel::LoadedHosts again = vendrel::loadHostsFile(file);
    EXPECT_TRUE(again.rows.utf8ByteOrderMark());
    EXPECT_EQ(cellsOf(again.rows), cellsOf(loaded.rows));
}

TEST_F(ListFile, EmptyRowSavedAndLoadedAsHostsIsStillEmpty)
{
    const std::string file = path("hosts");
    vendrel::SaveList(rowsOf({{"a", "b"}, {"", ""}, {"c", "d"}}), file);
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(file);
    const std::vector<Cells> expected = {{"a", "b"}, {"", ""}, {"c", "d"}};
    EXPECT_EQ(cellsOf(loaded.rows), expected);
}

TEST_F(ListFile, ReadListFileAcceptsAnyLineBreak)
{
    const std::string file = fake.writeFile(path("list"), "a\tb\nc\td\re\tf");
    const std::vector<Cells> expected = {{"a", "b"}, {"c", "d"}, {"e", "f"}};
    EXPECT_EQ(cellsOf(vendrel::readListFile(file)), expected);
}

TEST_F(ListFile, ReadListFileOfEmptyFileIsOneEmptyRow)
{
    const std::string file = fake.writeFile(path("list"), "");
    const std::vector<Cells> expected = {{"", ""}};
    EXPECT_EQ(cellsOf(vendrel::readListFile(file)), expected);
}

TEST_F(ListFile, ReadListFileOfMissingFileThrows)
{
    EXPECT_THROW(vendrel::readListFile(path("missing")), vendrel::Error);
}

} // namespace

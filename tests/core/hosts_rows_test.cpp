#include "core/bulk/blocking_entries.h"
#include "core/hosts/hosts_rows.h"
#include "platform/text_bytes.h"

#include "rows_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using vendrel::HostsRows;
using rows_test_support::Cells;
using rows_test_support::cellsOf;

HostsRows threeRows()
{
    HostsRows rows;
    rows.setRow(0, "a0", "h0");
    rows.appendRow("a1", "h1");
    rows.appendRow("a2", "h2");
    return rows;
}

TEST(HostsRows, StartsWithOneEmptyRow)
{
    const HostsRows rows;
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"", ""}}));
    EXPECT_FALSE(rows.utf8ByteOrderMark());
}

TEST(HostsRows, BuiltFromNoRowsHoldsOneEmptyRow)
{
    const HostsRows rows("some bytes", {});
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"", ""}}));
}

TEST(HostsRows, RowsReferIntoTheGivenBytes)
{
    const HostsRows rows("127.0.0.1 localhost", {HostsRows::Row{{0, 9}, {10, 9}}, HostsRows::Row{{10, 5}, {0, 3}}});
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"127.0.0.1", "localhost"}, {"local", "127"}}));
}

// Cells far apart or of 64 KiB and more do not fit a row's eight bytes; they
// must read back whole, also after edits and removals around them.
TEST(HostsRows, CellsOfAnySizeAndPlaceReadBackWhole)
{
    const std::string longHost(70000, 'h');
    const std::string longAddress(70000, 'a');
    const std::string text = "0.0.0.0 " + longHost + "\n" + longAddress + " x\n" + "1.2.3.4" +
                             std::string(70000, '\x01') + " far\n# c\n";
    const std::size_t second = 8 + longHost.size() + 1;
    const std::size_t third = second + longAddress.size() + 3;
    HostsRows rows(
        text,
        {HostsRows::Row{{0, 7}, {8, 70000}},
         HostsRows::Row{{static_cast<std::uint32_t>(second), 70000}, {static_cast<std::uint32_t>(second + 70001), 1}},
         HostsRows::Row{{static_cast<std::uint32_t>(third), 70007}, {static_cast<std::uint32_t>(third + 70008), 3}},
         HostsRows::Row{{static_cast<std::uint32_t>(third + 70012), 1},
                        {static_cast<std::uint32_t>(third + 70014), 1}}});
    const std::vector<Cells> loaded = {{"0.0.0.0", longHost},
                                       {longAddress, "x"},
                                       {"1.2.3.4" + std::string(70000, '\x01'), "far"},
                                       {"#", "c"}};
    EXPECT_EQ(cellsOf(rows), loaded);
    rows.setCell(0, HostsRows::AddressColumn, "127.0.0.1");
    rows.setCell(1, HostsRows::HostColumn, "y");
    rows.setRow(3, "address with blanks", "and host");
    rows.appendRow(longAddress, longHost);
    rows.removeRowsWhere(0, [](std::string_view address, std::string_view) { return address.starts_with("1.2"); });
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"127.0.0.1", longHost},
                                                 {longAddress, "y"},
                                                 {"address with blanks", "and host"},
                                                 {longAddress, longHost}}));
    EXPECT_EQ(rows.cellBytes(),
              9 + longHost.size() + longAddress.size() + 1 + 27 + longAddress.size() + longHost.size());
}

TEST(HostsRows, SetCellChangesOnlyThatCell)
{
    HostsRows rows = threeRows();
    rows.setCell(1, HostsRows::AddressColumn, "new address");
    rows.setCell(2, HostsRows::HostColumn, "");
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"a0", "h0"}, {"new address", "h1"}, {"a2", ""}}));
}

struct RemoveCase {
    const char* name;
    std::size_t row;
    std::vector<Cells> left;
};

void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.name; }

class RemoveRow : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveRow, LeavesTheOtherRowsInOrder)
{
    HostsRows rows = threeRows();
    rows.removeRow(GetParam().row);
    EXPECT_EQ(cellsOf(rows), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(HostsRows, RemoveRow,
                         testing::Values(RemoveCase{"First", 0, {{"a1", "h1"}, {"a2", "h2"}}},
                                         RemoveCase{"Middle", 1, {{"a0", "h0"}, {"a2", "h2"}}},
                                         RemoveCase{"Last", 2, {{"a0", "h0"}, {"a1", "h1"}}}),
                         [](const testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

TEST(HostsRows, RemovingTheOnlyRowLeavesOneEmptyRow)
{
    HostsRows rows;
    rows.setRow(0, "127.0.0.1", "localhost");
    rows.removeRow(0);
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"", ""}}));
    rows.removeRow(0);
    EXPECT_EQ(rows.size(), 1u);
}

TEST(HostsRows, RemovingOutsideTheRowsThrows)
{
    HostsRows rows = threeRows();
    EXPECT_THROW(rows.removeRow(3), std::out_of_range);
    EXPECT_EQ(rows.size(), 3u);
}

// Views a caller got from the rows point into their own buffer; writing them
// back must work even when storing the new text moves that buffer.

TEST(HostsRowsAliasing, SetRowSwapsItsOwnCells)
{
    HostsRows rows;
    rows.setRow(0, "127.0.0.1", "localhost");
    rows.setRow(0, rows.host(0), rows.address(0));
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"localhost", "127.0.0.1"}}));
}

TEST(HostsRowsAliasing, SwapSurvivesManyBufferMoves)
{
    // Long cells make every store outgrow the buffer, so each swap appends
    // from a buffer that is about to be reallocated.
    HostsRows rows;
    const std::string address(300, 'a');
    const std::string host(500, 'h');
    rows.setRow(0, address, host);
    for (int i = 0; i < 50; ++i)
        rows.setRow(0, rows.host(0), rows.address(0));
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{address, host}}));
}

TEST(HostsRowsAliasing, AppendRowCopiesFromOtherRows)
{
    HostsRows rows;
    rows.setRow(0, std::string(200, 'x'), std::string(200, 'y'));
    for (int i = 0; i < 40; ++i)
        rows.appendRow(rows.host(rows.size() - 1), rows.address(rows.size() - 1));
    ASSERT_EQ(rows.size(), 41u);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const bool even = row % 2 == 0;
        EXPECT_EQ(rows.address(row), std::string(200, even ? 'x' : 'y')) << row;
        EXPECT_EQ(rows.host(row), std::string(200, even ? 'y' : 'x')) << row;
    }
}

TEST(HostsRowsAliasing, SetCellFromOwnCellsAndParts)
{
    HostsRows rows = threeRows();
    rows.setCell(0, HostsRows::AddressColumn, rows.host(2));
    rows.setCell(1, HostsRows::HostColumn, rows.address(1).substr(1));
    rows.setCell(2, HostsRows::HostColumn, rows.address(0));
    // A later change of the source cell must not reach the copy.
    rows.setCell(0, HostsRows::AddressColumn, "changed");
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{{"changed", "h0"}, {"a1", "1"}, {"a2", "h2"}}));
}

} // namespace

namespace {

TEST(TextEncoding, OnlyWellFormedUtf8CountsAsUtf8)
{
    for (const std::string_view utf8 : {"", "plain ascii text, long enough for whole blocks", "caf\xC3\xA9",
                                        "\xE2\x82\xAC euro", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF"})
        EXPECT_TRUE(platform::isValidUtf8(utf8)) << utf8;
    for (const std::string_view other :
         {"caf\xE9", "\xC3", "ascii first, then a cut-off \xE2\x82", "\x80", "\xC0\xAF", "\xE0\x80\xAF",
          "\xF0\x80\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xC3\xA9\xFF"})
        EXPECT_FALSE(platform::isValidUtf8(other)) << other;
}

TEST(TextEncoding, RowsAreEightBitTextWhenAnyCellIsNotUtf8)
{
    HostsRows rows(3);
    rows.setRow(0, "127.0.0.1", "localhost");
    EXPECT_FALSE(vendrel::holdsEightBitText(rows)) << "ASCII is UTF-8";
    rows.setRow(1, "0.0.0.0", "caf\xC3\xA9.example");
    EXPECT_FALSE(vendrel::holdsEightBitText(rows));
    rows.setRow(2, "0.0.0.0", "caf\xE9.example");
    EXPECT_TRUE(vendrel::holdsEightBitText(rows));
    rows.setUtf8ByteOrderMark(true);
    EXPECT_FALSE(vendrel::holdsEightBitText(rows)) << "a byte-order mark declares UTF-8";
}

} // namespace

namespace {

// Each swap gives every address cell the same new text; repeated swaps must
// not pile up a copy of it for every row until the edit buffer's limit ends
// the program (a million rows took 8 MB a swap).
TEST(HostsRowsEdits, RepeatedSwapsKeepOneCopyOfTheCommonAddress)
{
    HostsRows rows(1000);
    for (std::size_t row = 0; row < rows.size(); ++row)
        rows.setRow(row, "127.0.0.1", "host" + std::to_string(row) + ".example");
    const std::size_t afterLoad = rows.editedBytes();
    std::string redirect = "127.0.0.1";
    for (int swap = 0; swap < 1000; ++swap)
        redirect = vendrel::swapLocalhosts(rows, redirect).value();
    EXPECT_EQ(redirect, "127.0.0.1");
    EXPECT_EQ(rows.address(999), "127.0.0.1");
    EXPECT_EQ(rows.host(999), "host999.example");
    EXPECT_LE(rows.editedBytes() - afterLoad, 1000u * 9) << "one copy of the new address a swap, not one a row";
}

} // namespace

#include "core/editing/line_commands.h"
#include "core/hosts/list_file_format.h"

#include "rows_test_support.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using vendrel::HostsRows;
using rows_test_support::Cells;
using rows_test_support::cellsOf;
using rows_test_support::rowsOf;

// The commands work on the middle one of three rows; the outer two must not change.
const Cells above{"10.0.0.1", "above"};
const Cells below{"10.0.0.3", "below"};

HostsRows middleRowOf(const Cells& middle) { return rowsOf({above, middle, below}); }

// ---------------------------------------------------------------------------
// Row text and refilling a row from text.

TEST(LineCommands, RowTextIsAddressAndHostEachEndedByCrLf)
{
    const HostsRows rows = rowsOf({{"127.0.0.1", "localhost"}, {"", ""}});
    EXPECT_EQ(vendrel::rowText(rows, 0), "127.0.0.1\r\nlocalhost\r\n");
    EXPECT_EQ(vendrel::rowText(rows, 1), "\r\n\r\n");
}

struct RefillCase {
    const char* name;
    std::string text;
    Cells cells;
};

void PrintTo(const RefillCase& c, std::ostream* os) { *os << c.name; }

class RefillRow : public testing::TestWithParam<RefillCase> {};

TEST_P(RefillRow, FillsTheCellsLineByLine)
{
    HostsRows rows = middleRowOf({"old address", "old host"});
    vendrel::refillRow(rows, 1, GetParam().text);
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{above, GetParam().cells, below}));
}

INSTANTIATE_TEST_SUITE_P(LineCommands, RefillRow,
                         testing::Values(RefillCase{"CrLfBreaks", "a\r\nb\r\n", {"a", "b"}},
                                         RefillCase{"LfBreaks", "a\nb\n", {"a", "b"}},
                                         RefillCase{"CrBreaks", "a\rb\r", {"a", "b"}},
                                         RefillCase{"NoFinalBreak", "a\r\nb", {"a", "b"}},
                                         RefillCase{"EmptyFirstLineIsABlank", "\r\nb\r\n", {" ", "b"}},
                                         RefillCase{"EmptySecondLineIsABlank", "a\r\n\r\n", {"a", " "}},
                                         RefillCase{"CrCrIsTwoBreaks", "a\r\rb\r\n", {"a", " "}},
                                         RefillCase{"LfCrIsTwoBreaks", "a\n\rb\r\n", {"a", " "}},
                                         RefillCase{"LinesPastTheSecondDropped", "a\r\nb\r\nc\r\nd\r\n", {"a", "b"}},
                                         RefillCase{"OneLineEmptiesTheHost", "a\r\n", {"a", ""}},
                                         RefillCase{"NoTextEmptiesBothCells", "", {"", ""}},
                                         RefillCase{"BlanksAndTabsKept", " a\tb \r\n\tc ", {" a\tb ", "\tc "}}),
                         [](const testing::TestParamInfo<RefillCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Comments.

struct CommentCase {
    const char* name;
    Cells cells;
    bool comment;
};

void PrintTo(const CommentCase& c, std::ostream* os) { *os << c.name; }

class IsCommentRow : public testing::TestWithParam<CommentCase> {};

TEST_P(IsCommentRow, LooksAtTheAddressCellOnly)
{
    EXPECT_EQ(vendrel::isCommentRow(middleRowOf(GetParam().cells), 1), GetParam().comment);
}

INSTANTIATE_TEST_SUITE_P(LineCommands, IsCommentRow,
                         testing::Values(CommentCase{"LoneHash", {"#", "words"}, true},
                                         CommentCase{"HashBeforeAddress", {"#1.2.3.4", "ads.example"}, true},
                                         CommentCase{"PlainAddress", {"1.2.3.4", "ads.example"}, false},
                                         CommentCase{"HashInHostOfEmptyAddress", {"", "#words"}, false},
                                         CommentCase{"HashInHostOnly", {"1.2.3.4", "#words"}, false},
                                         CommentCase{"BlankBeforeHash", {" #", "words"}, false},
                                         CommentCase{"EmptyRow", {"", ""}, false}),
                         [](const testing::TestParamInfo<CommentCase>& info) { return std::string(info.param.name); });

struct ToggleCase {
    const char* name;
    Cells before;
    Cells after;
    std::string savedLine;
};

void PrintTo(const ToggleCase& c, std::ostream* os) { *os << c.name; }

class ToggleLineComment : public testing::TestWithParam<ToggleCase> {};

TEST_P(ToggleLineComment, RefillsTheRowAndSavesIt)
{
    const ToggleCase& c = GetParam();
    HostsRows rows = middleRowOf(c.before);
    vendrel::toggleLineComment(rows, 1);
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{above, c.after, below}));
    EXPECT_EQ(vendrel::formatList(rowsOf({c.after})), c.savedLine);
}

INSTANTIATE_TEST_SUITE_P(
    LineCommands, ToggleLineComment,
    testing::Values(
        ToggleCase{"CommentsOut", {"1.2.3.4", "ads.example"}, {"#1.2.3.4", "ads.example"}, "#1.2.3.4\tads.example\r\n"},
        ToggleCase{"CommentsIn", {"#1.2.3.4", "ads.example"}, {"1.2.3.4", "ads.example"}, "1.2.3.4\tads.example\r\n"},
        ToggleCase{"LoneHashLeavesABlank", {"#", "words here"}, {" ", "words here"}, " \twords here\r\n"},
        ToggleCase{"EmptyAddressGetsHash", {"", "word"}, {"#", "word"}, "#\tword\r\n"},
        ToggleCase{"EmptyHostBecomesABlank", {"1.2.3.4", ""}, {"#1.2.3.4", " "}, "#1.2.3.4\t \r\n"},
        ToggleCase{"EmptyRow", {"", ""}, {"#", " "}, "#\t \r\n"},
        ToggleCase{"LoneHashOfEmptyHost", {"#", ""}, {" ", " "}, " \t \r\n"},
        ToggleCase{"OnlyOneHashRemoved", {"##a", "b"}, {"#a", "b"}, "#a\tb\r\n"},
        ToggleCase{"BlankBehindHashStays", {"# a", "b"}, {" a", "b"}, " a\tb\r\n"},
        ToggleCase{"HashInHostIsNoComment", {"", "#word"}, {"#", "#word"}, "#\t#word\r\n"}),
    [](const testing::TestParamInfo<ToggleCase>& info) { return std::string(info.param.name); });

struct ToggleTwiceCase {
    const char* name;
    Cells start;
    Cells end;
};

void PrintTo(const ToggleTwiceCase& c, std::ostream* os) { *os << c.name; }

class ToggleTwice : public testing::TestWithParam<ToggleTwiceCase> {};

TEST_P(ToggleTwice, EndsAsExpected)
{
    HostsRows rows = middleRowOf(GetParam().start);
    vendrel::toggleLineComment(rows, 1);
    vendrel::toggleLineComment(rows, 1);
    EXPECT_EQ(cellsOf(rows), (std::vector<Cells>{above, GetParam().end, below}));
}

INSTANTIATE_TEST_SUITE_P(
    LineCommands, ToggleTwice,
    testing::Values(ToggleTwiceCase{"CommentedAddressComesBack", {"#1.2.3.4", "host"}, {"#1.2.3.4", "host"}},
                    ToggleTwiceCase{"PlainAddressComesBack", {"1.2.3.4", "host"}, {"1.2.3.4", "host"}},
                    ToggleTwiceCase{"LoneHashKeepsTheBlank", {"#", "words"}, {"# ", "words"}}),
    [](const testing::TestParamInfo<ToggleTwiceCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The text typed into the Add Line box.

struct SplitCase {
    const char* name;
    std::string typed;
    Cells cells;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitTypedLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTypedLine, GivesAddressAndHost) { EXPECT_EQ(vendrel::splitTypedLine(GetParam().typed), GetParam().cells); }

const std::string longHost(2000, 'h');

INSTANTIATE_TEST_SUITE_P(
    LineCommands, SplitTypedLine,
    testing::Values(SplitCase{"AddressAndHost", "127.0.0.1 new.example", {"127.0.0.1", "new.example"}},
                    SplitCase{"RunOfBlanksBetween", "127.0.0.1  new.example", {"127.0.0.1", "new.example"}},
                    SplitCase{
                        "RestKeepsItsInnerBlanks", "0.0.0.0 a.example  # note ", {"0.0.0.0", "a.example  # note"}},
                    SplitCase{"AddressTrimmedOfControls", "1.2.3.4\t host\r", {"1.2.3.4", "host"}},
                    SplitCase{"TrailingBlankLeavesNoHost", "1.2.3.4 ", {"1.2.3.4", ""}},
                    SplitCase{"NoBlankIsAllHost", "new.example", {"", "new.example"}},
                    SplitCase{"NoBlankTrimmedOfControls", "\tnew.example\t", {"", "new.example"}},
                    SplitCase{"LeadingBlankIsAllHost", " lead words ", {"", "lead words"}},
                    SplitCase{"OnlyBlanks", "   ", {"", ""}}, SplitCase{"Empty", "", {"", ""}},
                    SplitCase{"HighBytesAreNotTrimmed", "\xE9t\xE9 caf\xE9\xA0", {"\xE9t\xE9", "caf\xE9\xA0"}},
                    SplitCase{"LongHostKeptWhole", "1.2.3.4 " + longHost, {"1.2.3.4", longHost}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Deleting a row.

struct DeleteCase {
    const char* name;
    std::vector<Cells> before;
    std::size_t row;
    std::vector<Cells> after;
};

void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }

class DeleteRow : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteRow, LeavesTheRestInOrder)
{
    HostsRows rows = rowsOf(GetParam().before);
    vendrel::deleteRow(rows, GetParam().row);
    EXPECT_EQ(cellsOf(rows), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    LineCommands, DeleteRow,
    testing::Values(DeleteCase{"First", {{"a", "1"}, {"b", "2"}, {"c", "3"}}, 0, {{"b", "2"}, {"c", "3"}}},
                    DeleteCase{
                        "MiddleRowsBelowMoveUp", {{"a", "1"}, {"b", "2"}, {"c", "3"}}, 1, {{"a", "1"}, {"c", "3"}}},
                    DeleteCase{"Last", {{"a", "1"}, {"b", "2"}, {"c", "3"}}, 2, {{"a", "1"}, {"b", "2"}}},
                    DeleteCase{"OfTwoLeavesOne", {{"a", "1"}, {"b", "2"}}, 0, {{"b", "2"}}},
                    DeleteCase{"OnlyRowKeepsItsCells", {{"a", "1"}}, 0, {{"a", "1"}}}),
    [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

} // namespace

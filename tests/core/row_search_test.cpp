#include "core/editing/row_search.h"
#include "platform/text_case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vendrel::HostsRows;
using vendrel::RowMatcher;
using vendrel::SearchDirection;

// ---------------------------------------------------------------------------
// Lower-casing by the locale's rules; text that is not UTF-8 is read as the
// Western 8-bit code page.

struct LowerCase {
    const char* name;
    std::string bytes;
    std::string lowered;
};

void PrintTo(const LowerCase& c, std::ostream* os) { *os << c.name; }

class LowerCaseForLocale : public testing::TestWithParam<LowerCase> {};

TEST_P(LowerCaseForLocale, GivesUtf8) { EXPECT_EQ(platform::lowerCaseForLocale(GetParam().bytes), GetParam().lowered); }

INSTANTIATE_TEST_SUITE_P(
    TextCase, LowerCaseForLocale,
    testing::Values(LowerCase{"Empty", "", ""}, LowerCase{"Ascii", "LocalHost 127.0.0.1", "localhost 127.0.0.1"},
                    LowerCase{"Utf8Letters", "CAF\xC3\x89 \xC3\x84\xC3\x96\xC3\x9C",
                              "caf\xC3\xA9 \xC3\xA4\xC3\xB6\xC3\xBC"},
                    LowerCase{"Windows1252Letter", "CAF\xC9", "caf\xC3\xA9"},
                    LowerCase{"Windows1252EuroSign", "\x80", "\xE2\x82\xAC"},
                    LowerCase{"CutUtf8SequenceIsWindows1252", "\xC3", "\xC3\xA3"},
                    LowerCase{"EncodedSurrogateIsWindows1252", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}),
    [](const testing::TestParamInfo<LowerCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Whether one row matches a search text.

struct MatchCase {
    const char* name;
    std::string searchText;
    std::string address;
    std::string host;
    bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }

class RowMatcherCase : public testing::TestWithParam<MatchCase> {};

TEST_P(RowMatcherCase, MatchesWhenEitherCellHoldsTheText)
{
    const MatchCase& c = GetParam();
    HostsRows rows;
    rows.setRow(0, c.address, c.host);
    EXPECT_EQ(RowMatcher(c.searchText).matchesRow(rows, 0), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    RowSearch, RowMatcherCase,
    testing::Values(MatchCase{"UpperCaseFindsLowerCase", "LOCALHOST", "127.0.0.1", "localhost", true},
                    MatchCase{"MixedCaseFindsPart", "Ads.Exam", "0.0.0.0", "ads.example.com", true},
                    MatchCase{"LowerCaseFindsUpperCase", "ads", "0.0.0.0", "ADS.EXAMPLE", true},
                    MatchCase{"FoundInAddress", "127.0", "127.0.0.1", "localhost", true},
                    MatchCase{"FoundAtTheEnd", "ple.com", "", "ads.example.com", true},
                    MatchCase{"StartAgainAfterPartialMatch", "AAB", "", "aaab", true},
                    MatchCase{"NotInEither", "example.org", "127.0.0.1", "example.com", false},
                    MatchCase{"LongerThanTheCells", "localhost.example", "127.0.0.1", "localhost", false},
                    MatchCase{"NotAcrossTheCells", "0.1 local", "127.0.0.1", "localhost", false},
                    MatchCase{"EmptyTextNeverMatches", "", "127.0.0.1", "localhost", false},
                    MatchCase{"EmptyTextNeverMatchesEmptyCells", "", "", "", false},
                    MatchCase{"AccentFindsUtf8Cell", "\xC3\x89", "", "caf\xC3\xA9", true},
                    MatchCase{"AccentFindsWindows1252Cell", "\xC3\x89", "", "caf\xE9", true},
                    MatchCase{"AccentedWordFindsWindows1252Cell", "CAF\xC3\x89", "#", "caf\xE9 menu", true},
                    MatchCase{"AccentFindsUpperCaseUtf8Cell", "\xC3\xA9", "CAF\xC3\x89", "", true},
                    MatchCase{"AsciiTextFindsCellWithAccents", "caf", "", "\xC3\x89T\xC3\x89 CAF\xC3\x89", true},
                    MatchCase{"OtherAccentNotFound", "\xC3\xA4", "", "caf\xC3\xA9", false},
                    MatchCase{"AccentNotFoundInAsciiCell", "\xC3\xA9", "cafe", "e", false},
                    // KELVIN SIGN lower-cases to an ASCII "k".
                    MatchCase{"AsciiTextFindsLetterThatLowerCasesToAscii", "ok", "", "O\xE2\x84\xAA", true}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Searching up or down the list from the selected row.

// Rows 0..count-1; the rows in `hits` hold the searched text, the others not.
HostsRows listWithHits(std::size_t count, const std::vector<std::size_t>& hits)
{
    HostsRows rows;
    for (std::size_t row = 0; row < count; ++row) {
        const bool hit = std::find(hits.begin(), hits.end(), row) != hits.end();
        const std::string address = "10.0.0." + std::to_string(row);
        if (row == 0)
            rows.setRow(0, address, hit ? "hit.example" : "miss.example");
        else
            rows.appendRow(address, hit ? "hit.example" : "miss.example");
    }
    return rows;
}

struct SearchCase {
    const char* name;
    std::size_t rowCount;
    std::vector<std::size_t> hits;
    std::size_t selected;
    SearchDirection direction;
    std::size_t selection;
    bool found;
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

class SearchRows : public testing::TestWithParam<SearchCase> {};

TEST_P(SearchRows, SelectsTheRowFound)
{
    const SearchCase& c = GetParam();
    const auto outcome = vendrel::searchRows(listWithHits(c.rowCount, c.hits), c.selected, c.direction,
                                             RowMatcher("HIT"));
    EXPECT_EQ(outcome.selection, c.selection);
    EXPECT_EQ(outcome.found, c.found);
}

constexpr auto down = SearchDirection::Forward;
constexpr auto up = SearchDirection::Backward;

INSTANTIATE_TEST_SUITE_P(RowSearch, SearchRows,
                         testing::Values(SearchCase{"DownFindsNearestBelow", 5, {0, 2, 4}, 1, down, 2, true},
                                         SearchCase{"DownSkipsTheSelectedRow", 5, {1, 3}, 1, down, 3, true},
                                         SearchCase{"DownReachesTheLastRow", 5, {4}, 2, down, 4, true},
                                         SearchCase{"DownFromMiddleDoesNotWrap", 5, {0}, 2, down, 2, false},
                                         SearchCase{"DownFromLastWrapsToRowZero", 5, {0}, 4, down, 0, true},
                                         SearchCase{"DownFromLastFindsTopmost", 5, {1, 3}, 4, down, 1, true},
                                         SearchCase{"DownFromLastNotFoundSelectsRowZero", 5, {4}, 4, down, 0, false},
                                         SearchCase{"UpFindsNearestAbove", 5, {0, 2, 4}, 3, up, 2, true},
                                         SearchCase{"UpSkipsTheSelectedRow", 5, {1, 3}, 3, up, 1, true},
                                         SearchCase{"UpReachesRowZero", 5, {0}, 3, up, 0, true},
                                         SearchCase{"UpFromMiddleDoesNotWrap", 5, {4}, 2, up, 2, false},
                                         SearchCase{"UpFromFirstWrapsToLastRow", 5, {4}, 0, up, 4, true},
                                         SearchCase{"UpFromFirstFindsRowOne", 5, {1}, 0, up, 1, true},
                                         SearchCase{"UpFromFirstNotFoundSelectsLastRow", 5, {0}, 0, up, 4, false},
                                         SearchCase{"TwoRowsDownFromLast", 2, {0}, 1, down, 0, true},
                                         SearchCase{"TwoRowsUpFromFirst", 2, {1}, 0, up, 1, true},
                                         SearchCase{"OneRowDownNeverFound", 1, {0}, 0, down, 0, false},
                                         SearchCase{"OneRowUpNeverFound", 1, {0}, 0, up, 0, false}),
                         [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// The rows each search selects when it is repeated from the row the last one
// selected, until one finds nothing (at most ten searches).
std::vector<std::size_t> repeatSearch(const HostsRows& rows, std::size_t selected, SearchDirection direction)
{
    const RowMatcher matcher("hit");
    std::vector<std::size_t> selections;
    for (int search = 0; search < 10; ++search) {
        const auto outcome = vendrel::searchRows(rows, selected, direction, matcher);
        if (!outcome.found)
            break;
        selections.push_back(selected = outcome.selection);
    }
    return selections;
}

TEST(RowSearch, SearchingAgainFindsTheNextOccurrence)
{
    const HostsRows rows = listWithHits(6, {1, 3, 4});
    EXPECT_EQ(repeatSearch(rows, 0, down), (std::vector<std::size_t>{1, 3, 4}));
    EXPECT_EQ(repeatSearch(rows, 5, up), (std::vector<std::size_t>{4, 3, 1}));
}

} // namespace

#include "core/preview/change_summary.h"

#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using vendrel::ChangeSummary;
using vendrel::summarizeChange;

// The counts only, in one comparable and printable value.
struct Counts {
    std::size_t linesBefore = 0, linesAfter = 0, added = 0, duplicates = 0, removed = 0, rewritten = 0;
    std::size_t commentsDropped = 0, commentsAdded = 0, blanksDropped = 0, blanksAdded = 0;
    std::size_t otherDropped = 0, otherAdded = 0;

    auto tie() const
    {
        return std::tie(linesBefore, linesAfter, added, duplicates, removed, rewritten, commentsDropped, commentsAdded,
                        blanksDropped, blanksAdded, otherDropped, otherAdded);
    }
    bool operator==(const Counts& other) const { return tie() == other.tie(); }
};

void PrintTo(const Counts& c, std::ostream* out)
{
    *out << "lines " << c.linesBefore << "->" << c.linesAfter << " added " << c.added << " duplicates " << c.duplicates
         << " removed " << c.removed << " rewritten " << c.rewritten << " comments -" << c.commentsDropped << "/+"
         << c.commentsAdded << " blanks -" << c.blanksDropped << "/+" << c.blanksAdded << " other -" << c.otherDropped
         << "/+" << c.otherAdded;
}

Counts countsOf(const ChangeSummary& s)
{
    return {s.linesBefore,    s.linesAfter,  s.entriesAdded,      s.duplicatesRemoved,
            s.entriesRemoved, s.rewritten,   s.commentsDropped,   s.commentsAdded,
            s.blanksDropped,  s.blanksAdded, s.otherLinesDropped, s.otherLinesAdded};
}

Counts counted(std::string_view before, std::string_view after) { return countsOf(summarizeChange(before, after)); }

// The balance every summary keeps.
void expectBalanced(const Counts& c)
{
    EXPECT_EQ(c.linesBefore + c.added + c.commentsAdded + c.blanksAdded + c.otherAdded,
              c.linesAfter + c.duplicates + c.removed + c.commentsDropped + c.blanksDropped + c.otherDropped);
}

// ---------------------------------------------------------------------------
// A plain reference of the counting, with strings and maps, to check the
// hashed and sorted counting against on real files.

bool blankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string trimmed(std::string_view text)
{
    while (!text.empty() && blankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blankOrControl(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string normalWords(std::string_view text)
{
    std::string out;
    for (const char c : trimmed(text)) {
        if (blankOrControl(c)) {
            if (out.back() != ' ')
                out += ' ';
        } else {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
    }
    return out;
}

// A line's group and which of the two places in it the line takes: 1 for
// 127.0.0.1, 0 for 0.0.0.0 and every line of another kind.
std::pair<std::string, int> referenceKey(std::string_view line)
{
    const std::string text = trimmed(line);
    if (text.empty())
        return {"blank", 0};
    if (text[0] == '#')
        return {"comment " + text, 0};
    const std::string content = normalWords(text.substr(0, text.find('#')));
    const std::size_t space = content.find(' ');
    if (space == std::string::npos)
        return {"other " + content, 0};
    const std::string address = content.substr(0, space);
    const std::string host = content.substr(space + 1);
    if (address == "0.0.0.0" || address == "127.0.0.1")
        return {"blocking " + host, address == "127.0.0.1" ? 1 : 0};
    return {"entry " + content, 0};
}

Counts referenceCounts(std::string_view before, std::string_view after)
{
    std::map<std::string, std::array<std::size_t, 4>> groups; // before 0, before 1, after 0, after 1
    Counts c;
    vendrel::forEachLine(vendrel::withoutByteOrderMark(before), [&](std::string_view line) {
        const auto [group, place] = referenceKey(line);
        ++groups[group][place];
        ++c.linesBefore;
    });
    vendrel::forEachLine(vendrel::withoutByteOrderMark(after), [&](std::string_view line) {
        const auto [group, place] = referenceKey(line);
        ++groups[group][2 + place];
        ++c.linesAfter;
    });
    for (auto [group, n] : groups) {
        std::size_t dropped = 0;
        std::size_t added = 0;
        const bool anyAfter = n[2] + n[3] > 0;
        for (int place = 0; place < 2; ++place) {
            const std::size_t paired = std::min(n[place], n[2 + place]);
            n[place] -= paired;
            n[2 + place] -= paired;
        }
        for (int place = 0; place < 2; ++place) {
            const std::size_t moved = std::min(n[place], n[2 + (1 - place)]);
            c.rewritten += moved;
            dropped += n[place] - moved;
            added += n[2 + (1 - place)] - moved;
        }
        if (group.starts_with("comment")) {
            c.commentsDropped += dropped;
            c.commentsAdded += added;
        } else if (group == "blank") {
            c.blanksDropped += dropped;
            c.blanksAdded += added;
        } else if (group.starts_with("other")) {
            c.otherDropped += dropped;
            c.otherAdded += added;
        } else {
            (anyAfter ? c.duplicates : c.removed) += dropped;
            c.added += added;
        }
    }
    return c;
}

std::size_t commentLines(std::string_view text)
{
    std::size_t comments = 0;
    vendrel::forEachLine(text, [&](std::string_view line) { comments += trimmed(line).starts_with('#'); });
    return comments;
}

// ---------------------------------------------------------------------------
// How lines compare

TEST(ChangeSummaryTest, ReformattingOfTheSameLinesIsNoChange)
{
    const std::string before = "\xEF\xBB\xBF# Head\n0.0.0.0\tAds.Example # note\n  127.0.0.1   a.example\t b.example\n"
                               "\n1.2.3.4 LAN.Example\nbare.example\n";
    const std::string after = "1.2.3.4\tlan.example\r\n\t\r\n0.0.0.0 ads.example\r\n127.0.0.1 A.EXAMPLE B.example\r\n"
                              "  # Head \r\nBare.Example #x\r\n";
    EXPECT_EQ(counted(before, after), (Counts{6, 6}));
    // Comments keep their case but not their spacing (a save writes a TAB
    // after '#'); words of an odd line are not hosts of an entry.
    EXPECT_EQ(counted("# Head\n", "# head\n"), (Counts{1, 1, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(counted("# my  own list\n", "#\tmy own\tlist\n"), (Counts{1, 1}));
    EXPECT_EQ(counted("# my list\n", "#my list\n"), (Counts{1, 1, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(counted("a.example\n", "0.0.0.0 a.example\n"), (Counts{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(counted("", ""), Counts{});
}

TEST(ChangeSummaryTest, EntriesAreAddedRemovedDroppedAsDuplicatesOrRewritten)
{
    struct Case {
        const char* before;
        const char* after;
        Counts expected;
    };
    const Case cases[] = {
        // A new host, and one more copy of an entry.
        {"0.0.0.0 a\n", "0.0.0.0 a\n0.0.0.0 b\n0.0.0.0 a\n", {1, 3, 2}},
        // Copies dropped while one stays; the last copy dropped.
        {"0.0.0.0 a\n0.0.0.0 A\n0.0.0.0 a\n0.0.0.0 b\n", "0.0.0.0 a\n", {4, 1, 0, 2, 1}},
        // Moved to the other blocking address, each way.
        {"127.0.0.1 a\n0.0.0.0 b\n", "0.0.0.0 a\n127.0.0.1 b\n", {2, 2, 0, 0, 0, 2}},
        // Two copies moved into one: one rewritten, one a duplicate.
        {"127.0.0.1 a\n127.0.0.1 a\n", "0.0.0.0 a\n", {2, 1, 0, 1, 0, 1}},
        // Two blocking entries of a host made one, as a sort does.
        {"127.0.0.1 a\n0.0.0.0 a\n", "0.0.0.0 a\n", {2, 1, 0, 1}},
        // A host that stays under another address lost its blocking entry.
        {"1.2.3.4 a\n0.0.0.0 a\n", "1.2.3.4 a\n", {2, 1, 0, 0, 1}},
        // Other addresses are never rewritten.
        {"1.2.3.4 a\n", "5.6.7.8 a\n", {1, 1, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(counted(c.before, c.after), c.expected);
        expectBalanced(c.expected);
    }
}

TEST(ChangeSummaryTest, CommentsBlanksAndOtherLinesAreCountedApart)
{
    const std::string before = "# a\n# a\n#b\n\n \n\t\n0.0.0.0\n127.0.0.1\nbare.example\n0.0.0.0 # only a note\n";
    const std::string after = "# a\n# c\n\n0.0.0.0\t\n0.0.0.0\nother.example\n";
    // "0.0.0.0" and "0.0.0.0 # only a note" are one word each and pair with
    // the two "0.0.0.0" lines after; "127.0.0.1" alone has no host to move.
    const Counts c = counted(before, after);
    EXPECT_EQ(c, (Counts{10, 6, 0, 0, 0, 0, 2, 1, 2, 0, 2, 1}));
    expectBalanced(c);
}

// ---------------------------------------------------------------------------
// Examples

TEST(ChangeSummaryTest, ExamplesAreTheFirstLinesOfEachKindOnePerKey)
{
    std::string before = "127.0.0.1  moved.example\n";
    for (int i = 1; i <= 7; ++i)
        before += "  # comment " + std::to_string(i) + "\n";
    before += "0.0.0.0 dup.example\n0.0.0.0 DUP.example\n0.0.0.0 dup.example\n0.0.0.0 gone.example\nbare\n";
    const std::string after = "0.0.0.0 dup.example\n0.0.0.0 moved.example\n0.0.0.0 new1\n0.0.0.0 new2\n# fresh\nlone\n";
    const ChangeSummary s = summarizeChange(before, after, 5);
    EXPECT_EQ(s.commentExamples, (std::vector<std::string>{"  # comment 1", "  # comment 2", "  # comment 3",
                                                           "  # comment 4", "  # comment 5"}));
    EXPECT_EQ(s.commentsDropped, 7u);
    // Two copies of one key dropped give one example: the key's first line.
    EXPECT_EQ(s.duplicatesRemoved, 2u);
    EXPECT_EQ(s.duplicateExamples, (std::vector<std::string>{"0.0.0.0 dup.example"}));
    EXPECT_EQ(s.removedExamples, (std::vector<std::string>{"0.0.0.0 gone.example"}));
    EXPECT_EQ(s.rewrittenExamples, (std::vector<std::string>{"127.0.0.1  moved.example"}));
    EXPECT_EQ(s.addedExamples, (std::vector<std::string>{"0.0.0.0 new1", "0.0.0.0 new2"}));
    EXPECT_EQ(s.commentAddedExamples, (std::vector<std::string>{"# fresh"}));
    EXPECT_EQ(s.otherDroppedExamples, (std::vector<std::string>{"bare"}));
    EXPECT_EQ(s.otherAddedExamples, (std::vector<std::string>{"lone"}));

    const ChangeSummary two = summarizeChange(before, after, 2);
    EXPECT_EQ(two.commentExamples, (std::vector<std::string>{"  # comment 1", "  # comment 2"}));
    const ChangeSummary none = summarizeChange(before, after, 0);
    EXPECT_TRUE(none.commentExamples.empty() && none.addedExamples.empty() && none.rewrittenExamples.empty());
    EXPECT_EQ(countsOf(none), countsOf(s));
}

TEST(ChangeSummaryTest, ExamplesOfAKeyWithMatchedLinesNameOnlyItsDroppedKind)
{
    // The host's entry under 0.0.0.0 stays; its copy under 127.0.0.1 is a duplicate, not rewritten.
    const ChangeSummary s = summarizeChange("0.0.0.0 a\n127.0.0.1 a\n0.0.0.0 kept\n", "0.0.0.0 a\n0.0.0.0 kept\n");
    EXPECT_EQ(s.duplicateExamples, (std::vector<std::string>{"127.0.0.1 a"}));
    EXPECT_TRUE(s.rewrittenExamples.empty());
    EXPECT_TRUE(s.addedExamples.empty());
}

TEST(ChangeSummaryTest, DescriptionListsCountsThatAreNotZeroAndTheExamples)
{
    const ChangeSummary s = summarizeChange("# one\n# two\n127.0.0.1 a\n0.0.0.0 b\n0.0.0.0 b\n",
                                            "0.0.0.0 a\n0.0.0.0 b\n0.0.0.0 c\n", 1);
    EXPECT_EQ(vendrel::describeChange(s), "Lines: 5 -> 3\n"
                                          "Entries added: 1\n"
                                          "Duplicate entries removed: 1\n"
                                          "Entries moved to the other blocking address: 1\n"
                                          "Comments dropped: 2\n"
                                          "\nEntries added:\n  0.0.0.0 c\n"
                                          "\nDuplicate entries removed:\n  0.0.0.0 b\n"
                                          "\nEntries moved to the other blocking address:\n  127.0.0.1 a\n"
                                          "\nComments dropped (the first 1):\n  # one\n");
    ChangeSummary big;
    big.linesBefore = 1'000'000;
    big.linesAfter = 812'345;
    big.blanksDropped = 187'655;
    EXPECT_EQ(vendrel::describeChange(big), "Lines: 1,000,000 -> 812,345\nBlank lines dropped: 187,655\n");
    EXPECT_EQ(vendrel::describeChange(summarizeChange("a b\n", "A  b\r\n")),
              "Lines: 1 -> 1\nNo line is added, removed or rewritten.\n");
}

// ---------------------------------------------------------------------------
// The core's whole-file commands, on small texts with counts worked out by hand

TEST(ChangeSummaryTest, CountsWhatTheSortDoes)
{
    const std::string before = "# header\r\n127.0.0.1 localhost\r\n\r\n127.0.0.1 ads.example\r\n"
                               "0.0.0.0 Ads.Example # dup\r\n0.0.0.0\ttrack.example\r\n1.2.3.4 lan.example\r\n"
                               "bare.example\r\n";
    // Under 0.0.0.0: localhost moves to the header, the two ads.example
    // entries become one, the comment goes; the blank line stays as the header's.
    const std::string nullRouted = vendrel::sortHostsText(before, "0.0.0.0");
    EXPECT_EQ(counted(before, nullRouted), (Counts{8, 6, 0, 1, 0, 1, 1}));
    // Under 127.0.0.1 the localhost line stays and track.example moves.
    const std::string loopback = vendrel::sortHostsText(before, "127.0.0.1");
    const ChangeSummary s = summarizeChange(before, loopback);
    EXPECT_EQ(countsOf(s), (Counts{8, 6, 0, 1, 0, 1, 1}));
    EXPECT_EQ(s.rewrittenExamples, (std::vector<std::string>{"0.0.0.0\ttrack.example"}));
    EXPECT_EQ(s.duplicateExamples, (std::vector<std::string>{"0.0.0.0 Ads.Example # dup"}));
}

TEST(ChangeSummaryTest, CountsWhatMergeRemoveBlockingAndAppendDo)
{
    const std::string hosts = "127.0.0.1 localhost\n0.0.0.0 a.example\n";
    const std::string merged = vendrel::mergeAndSortText(
        hosts, "# list\n127.0.0.1 b.example\n0.0.0.0 a.example\n127.0.0.1 A.example\n", "0.0.0.0");
    // localhost moves to 0.0.0.0 in the header, b.example is new, and the header's blank line comes.
    EXPECT_EQ(counted(hosts, merged), (Counts{2, 4, 1, 0, 0, 1, 0, 0, 0, 1}));

    const std::string blocking = "127.0.0.1 localhost\n0.0.0.0 a.example\n1.2.3.4 a.example\n# 0.0.0.0 note\n"
                                 "0.0.0.0 b.example\n";
    const auto removed = vendrel::removeBlockingEntries(blocking, "0.0.0.0");
    ASSERT_TRUE(removed);
    // Both blocking entries and the comment naming the address go; the new
    // localhost line under 0.0.0.0 joins the one under 127.0.0.1.
    EXPECT_EQ(counted(blocking, removed->text), (Counts{5, 3, 1, 0, 2, 0, 1}));

    const std::string appended = vendrel::appendLinesToText("0.0.0.0 a\n", {"0.0.0.0 a", "# c", "", "0.0.0.0 b"});
    EXPECT_EQ(counted("0.0.0.0 a\n", appended), (Counts{1, 5, 2, 0, 0, 0, 0, 1, 0, 1}));
}

// ---------------------------------------------------------------------------
// Real hosts files

std::vector<std::string> realFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(VENDREL_TEST_DATA))
        if (entry.is_regular_file() && entry.path().filename() != "SOURCES.md")
            files.push_back(entry.path().string());
    // The shared lists of the development machines, where present.
    for (const char* shared : {"/work/shared/data/hosts/medium/adaway_hosts.txt",
                               "/work/shared/data/hosts/medium/whatzittooya_hosts_bang-comments_trailing-tabs",
                               "/work/shared/data/hosts/large/ipv6-hosts_crlf_real-mappings"})
        if (fs::is_regular_file(shared))
            files.push_back(shared);
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ChangeSummaryTest, SortOfRealFilesCountsAsThePlainReferenceDoes)
{
    for (const std::string& path : realFiles()) {
        const std::string text = vendrel::readWholeFile(path);
        for (const char* address : {"0.0.0.0", "127.0.0.1"}) {
            SCOPED_TRACE(path + " sorted under " + address);
            const std::string sorted = vendrel::sortHostsText(text, address);
            const Counts c = counted(text, sorted);
            EXPECT_EQ(c, referenceCounts(text, sorted));
            expectBalanced(c);
            EXPECT_EQ(c.linesBefore, vendrel::countLines(vendrel::withoutByteOrderMark(text)));
            EXPECT_EQ(c.linesAfter, vendrel::countLines(vendrel::withoutByteOrderMark(sorted)));
            // The sort drops every comment and writes none.
            EXPECT_EQ(c.commentsDropped, commentLines(text));
            EXPECT_EQ(c.commentsAdded, 0u);
            EXPECT_LE(c.blanksAdded, 1u);
            // Sorting again changes nothing.
            EXPECT_EQ(counted(sorted, vendrel::sortHostsText(sorted, address)), (Counts{c.linesAfter, c.linesAfter}));
        }
    }
}

TEST(ChangeSummaryTest, MergeOfRealFilesCountsAsThePlainReferenceDoes)
{
    const std::vector<std::string> files = realFiles();
    ASSERT_GE(files.size(), 2u);
    for (std::size_t i = 0; i + 1 < files.size(); ++i) {
        SCOPED_TRACE(files[i + 1] + " merged into " + files[i]);
        const std::string hosts = vendrel::readWholeFile(files[i]);
        const std::string merged = vendrel::mergeAndSortText(hosts, vendrel::readTextFile(files[i + 1]), "0.0.0.0");
        const Counts c = counted(hosts, merged);
        EXPECT_EQ(c, referenceCounts(hosts, merged));
        expectBalanced(c);
    }
}

} // namespace

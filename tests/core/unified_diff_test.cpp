#include "core/preview/unified_diff.h"

#include "core/bulk/file_sort.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;
using vendrel::unifiedDiff;

// The text split after each LF, as patch reads files and diffs.
std::vector<std::string> piecesAfterLf(std::string_view text)
{
    std::vector<std::string> pieces;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        pieces.emplace_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return pieces;
}

std::size_t number(const std::string& header, std::size_t& at)
{
    std::size_t end = at;
    while (end < header.size() && std::isdigit(static_cast<unsigned char>(header[end])))
        ++end;
    const std::size_t value = std::stoul(header.substr(at, end - at));
    at = end;
    return value;
}

// "start[,count]" after a '-' or '+' at `at`.
std::pair<std::size_t, std::size_t> rangeAt(const std::string& header, std::size_t at)
{
    const std::size_t start = number(header, ++at);
    if (header[at] != ',')
        return {start, 1};
    return {start, number(header, ++at)};
}

// Applies a unified diff the way patch does without fuzz: every context and
// removed line must stand in the old text exactly where its hunk says.
// Nothing when the diff does not apply.
std::optional<std::string> applyDiff(std::string_view old, std::string_view diff)
{
    if (diff.empty())
        return std::string(old);
    const std::vector<std::string> oldLines = piecesAfterLf(old);
    const std::vector<std::string> diffLines = piecesAfterLf(diff);
    if (diffLines.size() < 2 || !diffLines[0].starts_with("--- ") || !diffLines[1].starts_with("+++ "))
        return std::nullopt;
    std::string result;
    std::size_t copied = 0; // old lines done
    for (std::size_t at = 2; at < diffLines.size();) {
        const std::string& header = diffLines[at++];
        if (!header.starts_with("@@ -"))
            return std::nullopt;
        const auto [oldStart, oldCount] = rangeAt(header, 3);
        const auto [newStart, newCount] = rangeAt(header, header.find(" +") + 1);
        const std::size_t first = oldCount == 0 ? oldStart : oldStart - 1;
        if (first < copied || first > oldLines.size())
            return std::nullopt;
        for (; copied < first; ++copied)
            result += oldLines[copied];
        std::vector<std::string> oldSide;
        std::vector<std::string> newSide;
        while (at < diffLines.size() && !diffLines[at].starts_with("@@")) {
            std::string body = diffLines[at].substr(1);
            const char mark = diffLines[at++][0];
            if (at < diffLines.size() && diffLines[at].starts_with("\\")) {
                body.pop_back();
                ++at;
            }
            if (mark == ' ' || mark == '-')
                oldSide.push_back(body);
            if (mark == ' ' || mark == '+')
                newSide.push_back(body);
            if (mark != ' ' && mark != '-' && mark != '+')
                return std::nullopt;
        }
        if (oldSide.size() != oldCount || newSide.size() != newCount)
            return std::nullopt;
        for (const std::string& line : oldSide)
            if (copied >= oldLines.size() || oldLines[copied++] != line)
                return std::nullopt;
        for (const std::string& line : newSide)
            result += line;
        (void)newStart;
    }
    for (; copied < oldLines.size(); ++copied)
        result += oldLines[copied];
    return result;
}

std::size_t linesMarked(std::string_view diff, char mark)
{
    std::size_t count = 0;
    for (const std::string& line : piecesAfterLf(diff))
        count += line[0] == mark && !line.starts_with("---") && !line.starts_with("+++");
    return count;
}

std::size_t hunks(std::string_view diff) { return linesMarked(diff, '@'); }

// ---------------------------------------------------------------------------

TEST(UnifiedDiffTest, EqualTextsAndTextsThatDifferOnlyInLineBreaksGiveNoDiff)
{
    EXPECT_EQ(unifiedDiff("", "", "a", "b"), "");
    EXPECT_EQ(unifiedDiff("x\ny\n", "x\ny\n", "a", "b"), "");
    EXPECT_EQ(unifiedDiff("x\ny\n", "x\r\ny\r\n", "a", "b"), "");
    EXPECT_EQ(unifiedDiff("x\ry\r", "x\ny\n", "a", "b"), "");
}

TEST(UnifiedDiffTest, WritesHunksWithContextAndTheLinesAsTheyStand)
{
    const std::string before = "a\nb\nc\nd\ne\nf\ng\nh\n";
    EXPECT_EQ(unifiedDiff(before, "a\nb\nc\nD\ne\nf\ng\nh\n", "hosts", "hosts (sorted)", 1),
              "--- hosts\n+++ hosts (sorted)\n@@ -3,3 +3,3 @@\n c\n-d\n+D\n e\n");
    // Context reaching the start; a removal and an addition apart.
    EXPECT_EQ(unifiedDiff(before, "a\nc\nd\ne\nf\ng\nX\nh\n", "o", "n", 2),
              "--- o\n+++ n\n@@ -1,4 +1,3 @@\n a\n-b\n c\n d\n@@ -6,3 +5,4 @@\n f\n g\n+X\n h\n");
    // CR LF lines keep their breaks.
    EXPECT_EQ(unifiedDiff("a\r\nb\r\n", "a\r\nc\r\n", "o", "n"), "--- o\n+++ n\n@@ -1,2 +1,2 @@\n a\r\n-b\r\n+c\r\n");
    // Empty ranges start at the line before them.
    EXPECT_EQ(unifiedDiff("", "a\n", "o", "n"), "--- o\n+++ n\n@@ -0,0 +1 @@\n+a\n");
    EXPECT_EQ(unifiedDiff("a\nb\n", "a\n", "o", "n", 0), "--- o\n+++ n\n@@ -2 +1,0 @@\n-b\n");
}

TEST(UnifiedDiffTest, MarksALastLineWithoutBreak)
{
    EXPECT_EQ(unifiedDiff("a\nb", "a\nb\n", "o", "n"),
              "--- o\n+++ n\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n");
    EXPECT_EQ(unifiedDiff("a\nb\n", "a\nc", "o", "n"),
              "--- o\n+++ n\n@@ -1,2 +1,2 @@\n a\n-b\n+c\n\\ No newline at end of file\n");
    EXPECT_EQ(unifiedDiff("x\nb", "y\nb", "o", "n"),
              "--- o\n+++ n\n@@ -1,2 +1,2 @@\n-x\n+y\n b\n\\ No newline at end of file\n");
}

TEST(UnifiedDiffTest, NearbyChangesShareAHunkAndFarOnesDoNot)
{
    std::string before;
    for (int i = 1; i <= 20; ++i)
        before += std::to_string(i) + "\n";
    std::string near = before;
    near.replace(near.find("2\n"), 2, "two\n");
    near.replace(near.find("\n9\n"), 3, "\nnine\n");
    EXPECT_EQ(hunks(unifiedDiff(before, near, "o", "n")), 1u);
    std::string far = before;
    far.replace(far.find("2\n"), 2, "two\n");
    far.replace(far.find("\n10\n"), 4, "\nten\n");
    EXPECT_EQ(hunks(unifiedDiff(before, far, "o", "n")), 2u);
    EXPECT_EQ(hunks(unifiedDiff(before, far, "o", "n", 4)), 1u);
}

// Deterministic texts of few distinct lines, so that they share many.
class TextMaker {
public:
    explicit TextMaker(std::uint64_t seed) : state_(seed) {}
    std::uint32_t below(std::uint32_t bound)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>((state_ >> 33) % bound);
    }
    std::vector<std::string> lines()
    {
        std::vector<std::string> lines(below(12));
        for (std::string& line : lines)
            line = std::string(1, static_cast<char>('a' + below(4)));
        return lines;
    }
    std::string text(const std::vector<std::string>& lines, std::string_view lineBreak, bool finalBreak)
    {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text.append(lines[i]).append(i + 1 < lines.size() || finalBreak ? lineBreak : "");
        return text;
    }

private:
    std::uint64_t state_;
};

std::size_t commonSubsequence(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::vector<std::size_t>> length(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            length[i][j] = a[i] == b[j] ? length[i + 1][j + 1] + 1 : std::max(length[i + 1][j], length[i][j + 1]);
    return length[0][0];
}

TEST(UnifiedDiffTest, RandomDiffsApplyAndAreShortest)
{
    TextMaker maker(7);
    for (int round = 0; round < 1500; ++round) {
        const std::vector<std::string> a = maker.lines();
        const std::vector<std::string> b = maker.lines();
        const std::string_view lineBreak = maker.below(2) ? "\r\n" : "\n";
        const bool aBreak = maker.below(4) != 0;
        const bool bBreak = maker.below(4) != 0;
        const std::string before = maker.text(a, lineBreak, aBreak);
        const std::string after = maker.text(b, lineBreak, bBreak);
        SCOPED_TRACE("before:\n" + before + "\nafter:\n" + after);
        const std::string diff = unifiedDiff(before, after, "o", "n", maker.below(4));
        ASSERT_EQ(applyDiff(before, diff), after) << diff;
        // A last line without a break pairs only with another such line.
        const auto marked = [](std::vector<std::string> lines, bool finalBreak) {
            if (!finalBreak && !lines.empty())
                lines.back() += " (no break)";
            return lines;
        };
        const std::size_t common = commonSubsequence(marked(a, aBreak), marked(b, bBreak));
        EXPECT_EQ(linesMarked(diff, '-') + linesMarked(diff, '+'), a.size() + b.size() - 2 * common) << diff;
    }
}

TEST(UnifiedDiffTest, TooManyEditsBecomeOneHunkThatStillApplies)
{
    std::string before = "first\n";
    std::string after = "first\n";
    for (int i = 0; i < 3000; ++i) {
        before += "line " + std::to_string(i) + "\n";
        after += "line " + std::to_string(2999 - i) + "\n";
    }
    before += "last";
    after += "last";
    const std::string diff = unifiedDiff(before, after, "o", "n");
    EXPECT_EQ(hunks(diff), 1u);
    EXPECT_EQ(linesMarked(diff, '-'), 3000u);
    EXPECT_EQ(linesMarked(diff, '+'), 3000u);
    EXPECT_EQ(applyDiff(before, diff), after);
}

// ---------------------------------------------------------------------------
// patch(1) on the diffs, where it is installed

class PatchProgram {
public:
    PatchProgram()
    {
        for (const char* folder : {"/usr/bin", "/bin", "/usr/local/bin"})
            if (fs::exists(fs::path(folder) / "patch"))
                program_ = (fs::path(folder) / "patch").string();
    }
    bool available() const { return !program_.empty(); }

    // The old text with the diff of it to `after` applied by patch.
    std::string apply(const std::string& before, const std::string& after) const
    {
        const std::string old = fake_.writeFile(fake_.root() + "/old", before);
        const std::string diff = fake_.writeFile(fake_.root() + "/diff", unifiedDiff(before, after, "old", "new"));
        const std::string out = fake_.root() + "/out";
        fs::remove(out);
        const std::string command = program_ + " -s --fuzz=0 -o '" + out + "' '" + old + "' -i '" + diff +
                                    "' </dev/null >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("patch refused the diff of:\n" + before + "\nto:\n" + after);
        return FakePlatform::readFile(out);
    }

private:
    std::string program_;
    FakePlatform fake_;
};

TEST(UnifiedDiffTest, PatchAppliesTheDiffs)
{
    const PatchProgram patch;
    if (!patch.available())
        GTEST_SKIP() << "patch is not installed";
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"a\nb\nc\n", "a\nc\nd\n"},
        {"a\r\nb\r\nc\r\n", "a\r\nB\r\nc\r\n"},
        {"a\nb", "a\nb\n"},
        {"a\nb\n", "a\nc"},
        {"x\r\nb", "y\r\nb"},
        {"a\n", "b\nc\n"},
        {"a\nb\n", ""},
    };
    for (const auto& [before, after] : pairs)
        EXPECT_EQ(patch.apply(before, after), after) << before;
}

TEST(UnifiedDiffTest, PatchAppliesTheDiffOfASortOfRealFiles)
{
    const PatchProgram patch;
    if (!patch.available())
        GTEST_SKIP() << "patch is not installed";
    for (const char* name : {"fademind_add.2o7Net_hosts_crlf", "abadi199_hosts_lan-mappings_no-final-newline",
                             "yabooo666_hosts_leading-trailing-spaces"}) {
        SCOPED_TRACE(name);
        const std::string before = vendrel::readWholeFile(std::string(VENDREL_TEST_DATA) + "/" + name);
        const std::string sorted = vendrel::sortHostsText(before, "0.0.0.0");
        const std::string patched = patch.apply(before, sorted);
        // Lines the sort kept keep their own breaks; every line reads as in the sorted text.
        EXPECT_EQ(vendrel::splitLines(patched), vendrel::splitLines(sorted));
        EXPECT_EQ(unifiedDiff(patched, sorted, "o", "n"), "");
        // And back: the lines as the file had them, with the breaks of the sorted text where they equal.
        EXPECT_EQ(vendrel::splitLines(patch.apply(sorted, before)), vendrel::splitLines(before));
    }
}

} // namespace

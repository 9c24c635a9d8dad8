// Edits of a text's lines, as the history keeps them: where lines start,
// what an edit makes of a text and its inverse makes back, which edits the
// rest of two texts proves, and their records read back.

#include "core/history/line_edit.h"
#include "core/history/version_file.h"
#include "core/hosts/text_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using vendrel::LineEdit;
using vendrel::LineSplice;

// Texts long enough that lines start inside, across and after eight-byte words.
const std::string crLfText = "127.0.0.1\tlocalhost\r\n0.0.0.0\ta.example\r\n#\t\r\n0.0.0.0\tb.example\r\n";
const std::string unbrokenLast = "one\ntwo\nthree";

TEST(LineStart, IsFoundForEveryLineAndTheEndAfterTheLastOnly)
{
    struct Case {
        const std::string& text;
        std::size_t line;
        std::optional<std::size_t> start;
    };
    const std::string empty;
    for (const Case& c : std::vector<Case>{{crLfText, 0, 0},
                                           {crLfText, 1, 21},
                                           {crLfText, 2, 40},
                                           {crLfText, 3, 44},
                                           {crLfText, 4, crLfText.size()},
                                           {crLfText, 5, std::nullopt},
                                           {unbrokenLast, 2, 8},
                                           {unbrokenLast, 3, unbrokenLast.size()},
                                           {unbrokenLast, 4, std::nullopt},
                                           {empty, 0, 0},
                                           {empty, 1, std::nullopt}})
        EXPECT_EQ(vendrel::lineStart(c.text, c.line), c.start) << "line " << c.line << " of " << c.text;
}

struct EditCase {
    const char* name;
    std::string before;
    LineEdit edit;
    std::string after;
};

TEST(LineEdit, MakesItsTextAndItsInverseMakesTheTextBefore)
{
    const std::vector<EditCase> cases{
        {"one line replaced", "a\nb\nc\n", {{{1, 1, "B\n"}}}, "a\nB\nc\n"},
        {"lines removed", "a\nb\nc\nd\n", {{{1, 2, ""}}}, "a\nd\n"},
        {"lines put in front", "a\nb\n", {{{0, 0, "x\ny\n"}}}, "x\ny\na\nb\n"},
        {"a line added at the end", "a\nb\n", {{{2, 0, "c\n"}}}, "a\nb\nc\n"},
        {"splices at both ends", "a\nb\nc\nd\n", {{{0, 1, "A\n"}, {3, 1, "D\nE\n"}}}, "A\nb\nc\nD\nE\n"},
        {"CR LF lines",
         crLfText,
         {{{1, 1, "#0.0.0.0\ta.example\r\n"}}},
         "127.0.0.1\tlocalhost\r\n#0.0.0.0\ta.example\r\n#\t\r\n0.0.0.0\tb.example\r\n"},
        {"the unbroken last line", unbrokenLast, {{{2, 1, "3"}}}, "one\ntwo\n3"},
        {"nothing", "a\n", {}, "a\n"},
    };
    for (const EditCase& c : cases) {
        EXPECT_EQ(vendrel::applyLineEdit(c.before, c.edit), c.after) << c.name;
        EXPECT_EQ(vendrel::applyLineEdit(c.after, vendrel::inverseLineEdit(c.before, c.edit)), c.before) << c.name;
    }
}

TEST(LineEdit, BeyondTheTextOrOutOfOrderIsNoEditOfIt)
{
    for (const LineEdit& edit : {LineEdit{{{4, 0, "x\n"}}}, LineEdit{{{2, 2, ""}}},
                                 LineEdit{{{2, 0, "x\n"}, {1, 0, "y\n"}}}, LineEdit{{{0, 2, ""}, {1, 1, ""}}}})
        EXPECT_EQ(vendrel::applyLineEdit("a\nb\nc\n", edit), std::nullopt) << vendrel::encodeLineEdit(edit);
}

TEST(LineEdit, SpanningTwoTextsReplacesTheLinesFromTheFirstDifferenceToTheLast)
{
    struct Case {
        const char* name;
        std::string before, after;
        std::optional<LineEdit> edit;
    };
    const std::vector<Case> cases{
        {"one line changed", "a\nb\nc\n", "a\nX\nc\n", LineEdit{{{1, 1, "X\n"}}}},
        {"a line added at the end", "a\nb\n", "a\nb\nc\n", LineEdit{{{2, 0, "c\n"}}}},
        {"a line deleted", "a\nb\nc\n", "a\nc\n", LineEdit{{{1, 1, ""}}}},
        {"a line commented out", "0.0.0.0\ta\n0.0.0.0\tb\n", "0.0.0.0\ta\n#0.0.0.0\tb\n",
         LineEdit{{{1, 1, "#0.0.0.0\tb\n"}}}},
        {"two lines apart", "a\nb\nc\nd\n", "A\nb\nc\nD\n", LineEdit{{{0, 4, "A\nb\nc\nD\n"}}}},
        {"the whole text the end of the new one", "b\n", "a\nb\n", LineEdit{{{0, 0, "a\n"}}}},
        {"the same texts", "a\nb\n", "a\nb\n", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vendrel::spanningLineEdit(c.before, c.after), c.edit) << c.name;

    // Whatever two texts: the edit makes the one of the other, and its
    // inverse the other of the one.
    std::mt19937 random(13);
    const char bytes[] = {'a', 'b', '\n', '\n', '\r'};
    const auto text = [&] {
        std::string made(random() % 12, 'a');
        for (char& c : made)
            c = bytes[random() % sizeof bytes];
        return made;
    };
    for (int round = 0; round < 5000; ++round) {
        const std::string before = text();
        const std::string after = random() % 2 ? text() : before + text();
        const std::optional<LineEdit> edit = vendrel::spanningLineEdit(before, after);
        const LineEdit made = edit.value_or(LineEdit{});
        ASSERT_EQ(vendrel::applyLineEdit(before, made), after) << testing::PrintToString(before + "|" + after);
        ASSERT_EQ(vendrel::applyLineEdit(after, vendrel::inverseLineEdit(before, made)), before)
            << testing::PrintToString(before + "|" + after);
    }
}

TEST(LineEditRecord, ReadsBackAsWrittenAndAnythingElseIsRefused)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        LineEdit edit;
        std::size_t line = 0;
        for (int splice = random() % 4; splice > 0; --splice) {
            line += random() % 5;
            const std::size_t removed = random() % 3;
            edit.splices.push_back({line, removed, std::string(random() % 40, static_cast<char>('a' + round % 26))});
            line += removed;
        }
        EXPECT_EQ(vendrel::decodeLineEdit(vendrel::encodeLineEdit(edit)), edit);
    }
    for (const char* record :
         {"1 1 5\nab", "x 1 1\na", "1 1\na", "1 1 1 a", "3 1 0\n1 0 0\n", "1 1 -1\n", "99999999999999999999 0 0\n"})
        EXPECT_EQ(vendrel::decodeLineEdit(record), std::nullopt) << record;
}

TEST(ContentHash, OfASpliceIsTheHashOfTheTextItMakes)
{
    std::mt19937 random(17);
    for (int round = 0; round < 2000; ++round) {
        std::string before(random() % 200, 'a');
        for (char& c : before)
            c = static_cast<char>(random());
        const std::size_t from = random() % (before.size() + 1);
        const std::size_t to = from + random() % (before.size() - from + 1);
        const std::string inserted(random() % 9, static_cast<char>(random()));
        const std::string after = std::string(before).replace(from, to - from, inserted);
        ASSERT_EQ(vendrel::contentHashOfSplice(before, vendrel::contentHash(before), from, to, inserted),
                  vendrel::contentHash(after));
    }
    EXPECT_EQ(vendrel::contentHashOfSplice("abc", vendrel::contentHash("abcd"), 0, 1, "x"), std::nullopt);
    EXPECT_EQ(vendrel::contentHashOfSplice("abc", "3-12", 0, 1, "x"), std::nullopt);
}

TEST(CountLines, CountsEveryKindOfBreakWhereverItFallsInTheWords)
{
    // Against the lines forEachLine visits, for texts of breaks and letters
    // of every length up to a few words.
    std::mt19937 random(11);
    const char letters[] = {'\r', '\n', 'a', '\r', '\n'};
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, 'a');
        for (char& c : text)
            c = letters[random() % sizeof letters];
        std::size_t visited = 0;
        vendrel::forEachLine(text, [&visited](std::string_view) { ++visited; });
        ASSERT_EQ(vendrel::countLines(text), visited) << testing::PrintToString(text);
    }
}

} // namespace

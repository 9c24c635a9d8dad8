// The hosts file's text taken as the list's lines: only a text that a save
// of its own rows writes again byte for byte is taken, so that changing a
// row's line in it is the save of the changed rows.

#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_ends.h"
#include "core/hosts/list_file_format.h"
#include "core/session/list_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// What a save of the rows loaded from `text` writes, with the text's line break.
std::string savedAgain(const std::string& text)
{
    const vendrel::LoadedHosts loaded = vendrel::parseHostsText(text, "hosts");
    return vendrel::withLineBreaks(vendrel::formatList(loaded.rows), vendrel::lineBreakOf(text, vendrel::crLf));
}

bool isTaken(const std::string& text) { return vendrel::ListText::of({text, {}}).has_value(); }

TEST(ListText, TakesATextOnlyWhenASaveOfItsRowsWritesItAgain)
{
    // Lines of the bytes the loader trims, splits or keeps, in texts with
    // either break, a lone CR, or none at the end.
    std::mt19937 random(3);
    const char bytes[] = {'a', 'b', '#', ' ', '\t', '\x01', '.', '\t', 'a'};
    int taken = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string lineBreak = random() % 2 ? "\r\n" : "\n";
        std::string text;
        for (int line = 1 + random() % 3; line > 0; --line) {
            for (int length = random() % 6; length > 0; --length)
                text += bytes[random() % sizeof bytes];
            text += random() % 50 ? lineBreak : std::string("\r");
        }
        if (random() % 30 == 0)
            text.pop_back();
        taken += isTaken(text) ? 1 : 0;
        ASSERT_EQ(isTaken(text), savedAgain(text) == text) << testing::PrintToString(text);
    }
    EXPECT_GT(taken, 100); // the texts a save writes are among them
}

TEST(ListText, ARowChangedOnTheTextIsTheSaveOfTheChangedRows)
{
    const std::string text = "127.0.0.1\tlocalhost\n0.0.0.0\ta.example\n#\tnote\n0.0.0.0\tb.example\n";
    ASSERT_TRUE(isTaken(text));
    struct Case {
        vendrel::RowsReplacement replacement;
        std::string after;
    };
    const std::vector<Case> cases{
        {{1, 1, {{"#0.0.0.0", "a.example"}}},
         "127.0.0.1\tlocalhost\n#0.0.0.0\ta.example\n#\tnote\n0.0.0.0\tb.example\n"},
        {{3, 1, {}}, "127.0.0.1\tlocalhost\n0.0.0.0\ta.example\n#\tnote\n"},
        {{4, 0, {{"0.0.0.0", "c.example"}}}, text + "0.0.0.0\tc.example\n"},
    };
    for (const Case& c : cases) {
        std::optional<vendrel::ListText> list = vendrel::ListText::of({text, {}});
        const std::optional<vendrel::PlannedChange> change = list->replaceRows("hosts", "Edit", c.replacement);
        ASSERT_TRUE(change);
        EXPECT_EQ(change->after, c.after);
        EXPECT_EQ(vendrel::applyLineEdit(text, *change->edit), c.after);
    }
    std::optional<vendrel::ListText> list = vendrel::ListText::of({text, {}});
    EXPECT_FALSE(list->replaceRows("hosts", "Edit", {1, 1, {{"0.0.0.0", "two\nlines"}}}))
        << "a cell that would end its line early";
    EXPECT_FALSE(list->replaceRows("hosts", "Edit", {4, 1, {}})) << "a row beyond the text";
}

} // namespace

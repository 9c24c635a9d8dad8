#include "safeboot/label_markup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using safeboot::parseLabelMarkup;

struct MarkupCase {
    const char* name;
    std::string text;
    bool tagged;
    std::string shown;
    int pointSize;
    bool bold, italic, underline, link, line, checkMark;
};

class LabelMarkupTest : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(LabelMarkupTest, Parses)
{
    const MarkupCase& c = GetParam();
    const auto markup = parseLabelMarkup(c.text);
    EXPECT_EQ(markup.tagged, c.tagged);
    EXPECT_EQ(std::string(safeboot::shownText(c.text, markup)), c.shown);
    EXPECT_EQ(markup.pointSize, c.pointSize);
    EXPECT_EQ(markup.bold, c.bold);
    EXPECT_EQ(markup.italic, c.italic);
    EXPECT_EQ(markup.underline, c.underline);
    EXPECT_EQ(markup.link, c.link);
    EXPECT_EQ(markup.line, c.line);
    EXPECT_EQ(markup.checkMark, c.checkMark);
}

//                                       tagged shown          size  bold   italic underl link   line   check
INSTANTIATE_TEST_SUITE_P(
    Labels, LabelMarkupTest,
    ::testing::Values(
        MarkupCase{"Heading", "<B>Обычная перезагрузка", true, "Обычная перезагрузка", 8, true, false, false, false,
                   false, false},
        MarkupCase{"PlainVersion", "Version 1.0.1002", false, "Version 1.0.1002", 8, false, false, false, false, false,
                   false},
        MarkupCase{"Link", "<URL>Visit our web site", true, "Visit our web site", 8, false, false, true, true, false,
                   false},
        MarkupCase{"SizeThenBold", "<S=14><B>Title", true, "Title", 14, true, false, false, false, false, false},
        MarkupCase{"SizeNotANumber", "<S=big><B>Title", true, "Title", 8, true, false, false, false, false, false},
        MarkupCase{"SizeZero", "<S=0>Title", true, "Title", 8, false, false, false, false, false, false},
        MarkupCase{"SizeWithLeadingBlank", "<S= 12>Title", true, "Title", 12, false, false, false, false, false, false},
        MarkupCase{"SizeCappedNotOverflowing", "<S=99999999999999>x", true, "x", 1000, false, false, false, false,
                   false, false},
        MarkupCase{"SizeUnclosedShowsNothing", "<S=14 Title", true, "", 14, false, false, false, false, false, false},
        MarkupCase{"LineAlone", "<HL>", true, "<HL>", 8, false, false, false, false, true, false},
        MarkupCase{"CheckMarkDoesNotMoveTheText", "<CM>done", true, "<CM>done", 8, false, false, false, false, false,
                   true},
        MarkupCase{"AllStyles", "<I><U><B>x", true, "x", 8, true, true, true, false, false, false},
        MarkupCase{"RightMostTagWinsWhateverTheOrder", "<B>a<I>b", true, "b", 8, true, true, false, false, false,
                   false},
        MarkupCase{"TagAfterTextHidesIt", "Title<B>", true, "", 8, true, false, false, false, false, false},
        MarkupCase{"TagsAreCaseSensitive", "<b>Title", false, "<b>Title", 8, false, false, false, false, false, false},
        MarkupCase{"UnderlineTagIsNotTheLinkTag", "<U>x", true, "x", 8, false, false, true, false, false, false},
        MarkupCase{"Empty", "", false, "", 8, false, false, false, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

#include "pellbrook/dialog_fonts.h"
#include "pellbrook/markup_label.h"

#include "gui_doubles.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using pellbrook::MarkupLabel;
using Kind = MarkupLabel::Look::Kind;

struct LookCase {
    const char* name;
    QString text;
    Qt::Alignment alignment;
    Kind kind;
    QString shown;
    int points;
    bool bold;
    bool underline;
    bool blue;
};

class MarkupLabelLookTest : public ::testing::TestWithParam<LookCase> {};

TEST_P(MarkupLabelLookTest, PaintsFromTheMarkup)
{
    const LookCase& c = GetParam();
    MarkupLabel label(c.text);
    label.setAlignment(c.alignment);
    const MarkupLabel::Look look = label.look();
    ASSERT_EQ(look.kind, c.kind);
    if (c.kind != Kind::Text)
        return;
    EXPECT_EQ(look.text, c.shown);
    EXPECT_EQ(look.font.pointSize(), c.points);
    EXPECT_EQ(look.font.bold(), c.bold);
    EXPECT_EQ(look.font.underline(), c.underline);
    EXPECT_EQ(look.color == QColor(Qt::blue), c.blue);
    EXPECT_EQ(bool(look.alignment & Qt::AlignHCenter), bool(c.alignment & Qt::AlignHCenter));
    EXPECT_TRUE(look.alignment & Qt::AlignVCenter);
}

const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;

INSTANTIATE_TEST_SUITE_P(
    Labels, MarkupLabelLookTest,
    ::testing::Values(
        LookCase{"BoldHeading", u"<B>Обычная перезагрузка"_s, left, Kind::Text, u"Обычная перезагрузка"_s, 8, true,
                 false, false},
        LookCase{"SizedTitle", u"<S=14><B>Title"_s, left, Kind::Text, u"Title"_s, 14, true, false, false},
        LookCase{"Link", u"<URL>Visit our web site"_s, left, Kind::Text, u"Visit our web site"_s, 8, false, true, true},
        LookCase{"Centred", u"<I>mid"_s, Qt::AlignHCenter | Qt::AlignVCenter, Kind::Text, u"mid"_s, 8, false, false,
                 false},
        LookCase{"CheckMark", u"<CM>"_s, left, Kind::Text, pellbrook::checkMarkGlyph().text, 8, false, false, false},
        LookCase{"EtchedLine", u"<HL>"_s, left, Kind::EtchedLine, u""_s, 0, false, false, false},
        LookCase{"PlainText", u"Version 1.0.1002"_s, left, Kind::Plain, u""_s, 0, false, false, false},
        LookCase{"RightAlignedKeepsItsTags", u"<B>Title"_s, Qt::AlignRight | Qt::AlignVCenter, Kind::Plain, u""_s, 0,
                 false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    QString text;
    Qt::Alignment alignment;
    QString spoken;
    QAccessible::Role role;
};

class MarkupLabelNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(MarkupLabelNameTest, AssistiveTechnologyReadsTheShownText)
{
    const NameCase& c = GetParam();
    MarkupLabel label(c.text);
    label.setAlignment(c.alignment);
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(&label);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text(QAccessible::Name), c.spoken);
    EXPECT_EQ(read->role(), c.role);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, MarkupLabelNameTest,
    ::testing::Values(NameCase{"TagsDropped", u"<S=14><B>Title"_s, left, u"Title"_s, QAccessible::StaticText},
                      NameCase{"Link", u"<URL>Visit"_s, left, u"Visit"_s, QAccessible::Link},
                      NameCase{"CheckMarkIsTheCheckMarkCharacter", u"<CM>"_s, left, u"\u2714"_s,
                               QAccessible::StaticText},
                      NameCase{"EtchedLineSaysNothing", u"<HL>"_s, left, u""_s, QAccessible::StaticText},
                      NameCase{"RightAlignedShowsItsTags", u"<B>Title"_s, Qt::AlignRight | Qt::AlignVCenter,
                               u"<B>Title"_s, QAccessible::StaticText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MarkupLabelName, GivenNameWinsAndTextChangesAreFollowed)
{
    MarkupLabel label(QStringLiteral("<B>Old"));
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(&label);
    ASSERT_TRUE(read);
    label.setText(QStringLiteral("<B>New"));
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("New"));
    label.setAccessibleName(QStringLiteral("Given"));
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Given"));
}

QImage grabbed(QWidget& widget)
{
    widget.resize(120, 20);
    return widget.grab().toImage();
}

bool holdsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb())
                return true;
    return false;
}

TEST(MarkupLabelPainting, EtchedLineAlongTheTopOnly)
{
    MarkupLabel label(QStringLiteral("<HL>"));
    const QImage image = grabbed(label);
    EXPECT_EQ(image.pixel(60, 0), label.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(60, 1), label.palette().color(QPalette::Light).rgb());
    for (int y = 2; y < image.height(); ++y)
        EXPECT_EQ(image.pixel(60, y), label.palette().color(QPalette::Window).rgb()) << y;
}

TEST(MarkupLabelPainting, LinkIsBlue)
{
    MarkupLabel link(QStringLiteral("<URL>Visit"));
    EXPECT_TRUE(holdsColour(grabbed(link), QColor(Qt::blue)));
    MarkupLabel plain(QStringLiteral("<B>Visit"));
    EXPECT_FALSE(holdsColour(grabbed(plain), QColor(Qt::blue)));
}

TEST(MarkupLabelPainting, RightAlignedPaintsLikeAPlainLabel)
{
    MarkupLabel markup(QStringLiteral("<B>Title"));
    QLabel plain(QStringLiteral("<B>Title"));
    plain.setTextFormat(Qt::PlainText);
    for (QLabel* label : {static_cast<QLabel*>(&markup), &plain})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(grabbed(markup), grabbed(plain));
}

TEST(MarkupLabelPainting, CheckMarkDrawsAGlyphNotTheTag)
{
    MarkupLabel mark(QStringLiteral("<CM>"));
    QLabel tag(QStringLiteral("<CM>"));
    const QImage image = grabbed(mark);
    EXPECT_NE(image, grabbed(tag));
    EXPECT_TRUE(holdsColour(image, mark.palette().color(QPalette::WindowText)));
}

TEST(MarkupLabelPointer, HandOverLinksOnly)
{
    MarkupLabel link(QStringLiteral("<URL>Visit"));
    MarkupLabel plain(QStringLiteral("<B>Title"));
    for (MarkupLabel* label : {&link, &plain}) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(label, &enter);
    }
    EXPECT_EQ(link.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(link.cursor().hotSpot(), QPoint(12, 5));
    EXPECT_EQ(plain.cursor().shape(), Qt::ArrowCursor);
}

TEST(MarkupLabelPointer, ClickIsReported)
{
    MarkupLabel link(QStringLiteral("<URL>Visit"));
    link.resize(100, 20);
    QSignalSpy clicks(&link, &MarkupLabel::clicked);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&link, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
}

} // namespace

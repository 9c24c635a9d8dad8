#include "pellbrook/dialog_fonts.h"
#include "pellbrook/markup_label.h"

#include "gui_doubles.h"

#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

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
        LookCase{"BoldHeading", "<B>Обычная перезагрузка", left, Kind::Text, "Обычная перезагрузка", 8, true, false,
                 false},
        LookCase{"SizedTitle", "<S=14><B>Title", left, Kind::Text, "Title", 14, true, false, false},
        LookCase{"Link", "<URL>Visit our web site", left, Kind::Text, "Visit our web site", 8, false, true, true},
        LookCase{"Centred", "<I>mid", Qt::AlignHCenter | Qt::AlignVCenter, Kind::Text, "mid", 8, false, false, false},
        LookCase{"CheckMark", "<CM>", left, Kind::Text, pellbrook::checkMarkGlyph().text, 8, false, false, false},
        LookCase{"EtchedLine", "<HL>", left, Kind::EtchedLine, "", 0, false, false, false},
        LookCase{"PlainText", "Version 1.0.1002", left, Kind::Plain, "", 0, false, false, false},
        LookCase{"RightAlignedKeepsItsTags", "<B>Title", Qt::AlignRight | Qt::AlignVCenter, Kind::Plain, "", 0, false,
                 false, false}),
    [](const auto& info) { return std::string(info.param.name); });

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

#include "pellbrook/dialog_units.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using pellbrook::DialogBaseUnits;

struct UnitsCase {
    const char* name;
    DialogBaseUnits units;
    QRect dialogUnits;
    QRect pixels;
};

class DialogUnitsTest : public ::testing::TestWithParam<UnitsCase> {};

TEST_P(DialogUnitsTest, ConvertsWithRounding)
{
    const UnitsCase& c = GetParam();
    const QRect& du = c.dialogUnits;
    EXPECT_EQ(pellbrook::dialogUnitsToPixels(c.units, du.x(), du.y(), du.width(), du.height()), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(Units, DialogUnitsTest,
                         ::testing::Values(
                             // The classic 8-point dialog font: 6 by 13 pixels.
                             UnitsCase{"WholeDialog", {6, 13}, QRect(0, 0, 346, 250), QRect(0, 0, 519, 406)},
                             UnitsCase{"HalvesRoundUp", {6, 13}, QRect(43, 62, 21, 20), QRect(65, 101, 32, 33)},
                             UnitsCase{"Banner", {6, 13}, QRect(7, 7, 332, 41), QRect(11, 11, 498, 67)},
                             UnitsCase{"LargerFont", {7, 16}, QRect(220, 229, 60, 14), QRect(385, 458, 105, 28)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogBaseUnits, AverageLetterWidthAndLineHeight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    const DialogBaseUnits units = pellbrook::dialogBaseUnits(font);
    const double average = metrics.horizontalAdvance(
                               QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           52.0;
    EXPECT_LE(std::abs(units.x - average), 1.0);
    EXPECT_EQ(units.y, metrics.height());
}

} // namespace

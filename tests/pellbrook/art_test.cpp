#include "pellbrook/dialog_template.h"
#include "pellbrook/pellbrook_art.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Art, HandCursorIsBlackAndWhiteWithItsHotSpotOnTheFingerTip)
{
    const QCursor cursor = pellbrook::handCursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(12, 5));
    const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = image.pixel(x, y);
            EXPECT_TRUE(qAlpha(pixel) == 0 || pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255)) << x << "," << y;
        }
    EXPECT_NE(qAlpha(image.pixel(12, 5)), 0) << "the hot spot lies on the hand";
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(qAlpha(image.pixel(12, y)), 0) << "nothing above the tip, row " << y;
}

TEST(Art, FourDistinctComputerIcons)
{
    std::vector<QImage> icons;
    for (const int id :
         {pellbrook::ComputerIcon, pellbrook::DsRepairIcon, pellbrook::NetworkIcon, pellbrook::SafeModeIcon})
        icons.push_back(pellbrook::computerIcon(id).toImage());
    for (std::size_t i = 0; i < icons.size(); ++i) {
        EXPECT_EQ(icons[i].size(), QSize(32, 32));
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(icons[i], icons[j]) << i << " and " << j;
    }
}

TEST(Art, BannerAndApplicationIconSizes)
{
    EXPECT_EQ(pellbrook::bannerPixmap().size(), QSize(496, 64));
    const QList<QSize> sizes = pellbrook::applicationIcon().availableSizes();
    for (const int size : {16, 24, 32, 48})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

} // namespace

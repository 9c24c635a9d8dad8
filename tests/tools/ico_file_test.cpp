// The Windows icon file that render-icons writes, read back by an
// independent reader (the toolkit's icon plugin) and checked byte by byte
// where Windows itself looks.

#include "ico_file.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// A square with a transparent top-left pixel, a half-transparent pixel and a
// colour that tells the colour channels apart, so that a swapped channel, a
// flipped row order or a lost alpha shows.
QImage testPicture(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(qRgba(0x10, 0x80, 0xf0, 0xff));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(size - 1, 0, qRgba(0xff, 0x00, 0x00, 0x80));
    image.setPixel(0, size - 1, qRgba(0x00, 0xff, 0x00, 0xff));
    return image;
}

QList<QImage> readAll(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QList<QImage> images;
    for (int index = 0; index < reader.imageCount(); ++index) {
        reader.jumpToImage(index);
        images.append(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

quint32 little32(const QByteArray& bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

quint16 little16(const QByteArray& bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }

} // namespace

TEST(IcoFile, EverySizeReadsBackWithItsExactPixels)
{
    const QList<int> sizes = {16, 24, 32, 48, 256};
    QList<QImage> pictures;
    for (const int size : sizes)
        pictures.append(testPicture(size));
    const QList<QImage> read = readAll(icoFileBytes(pictures));
    ASSERT_EQ(read.size(), sizes.size());
    for (qsizetype index = 0; index < sizes.size(); ++index) {
        SCOPED_TRACE(sizes[index]);
        ASSERT_EQ(read[index].size(), pictures[index].size());
        for (const QPoint point :
             {QPoint(0, 0), QPoint(sizes[index] - 1, 0), QPoint(0, sizes[index] - 1), QPoint(5, 7)})
            EXPECT_EQ(read[index].pixel(point), pictures[index].pixel(point)) << point.x() << "," << point.y();
    }
}

TEST(IcoFile, DirectoryAndBitmapsAreWhatWindowsExpects)
{
    const QByteArray file = icoFileBytes({testPicture(16), testPicture(256)});
    ASSERT_GE(file.size(), 6 + 2 * 16);
    EXPECT_EQ(little16(file, 0), 0);
    EXPECT_EQ(little16(file, 2), 1); // an icon
    EXPECT_EQ(little16(file, 4), 2);
    EXPECT_EQ(static_cast<unsigned char>(file[6]), 16);
    EXPECT_EQ(static_cast<unsigned char>(file[6 + 16]), 0); // 256 is written as 0
    const quint32 firstSize = little32(file, 6 + 8);
    const quint32 firstOffset = little32(file, 6 + 12);
    EXPECT_EQ(firstOffset, 6u + 2 * 16);
    EXPECT_EQ(little32(file, 6 + 16 + 12), firstOffset + firstSize); // images follow each other
    EXPECT_EQ(little32(file, 6 + 16 + 8) + little32(file, 6 + 16 + 12), static_cast<quint32>(file.size()));

    // The 16-pixel bitmap: header, 16 x 16 x 4 colour bytes, then a mask of
    // 16 rows of 4 bytes, bottom up, whose bit is set for the transparent pixel.
    EXPECT_EQ(firstSize, 40u + 16 * 16 * 4 + 16 * 4);
    EXPECT_EQ(little32(file, firstOffset + 8), 32u); // height counts colour and mask rows
    const qsizetype maskStart = firstOffset + 40 + 16 * 16 * 4;
    const qsizetype topRow = maskStart + 15 * 4;
    EXPECT_EQ(static_cast<unsigned char>(file[topRow]), 0x80);
    EXPECT_EQ(static_cast<unsigned char>(file[maskStart]), 0x00);
    // The 256-pixel picture is a PNG.
    EXPECT_EQ(file.mid(little32(file, 6 + 16 + 12), 4), QByteArray("\x89PNG"));
}

TEST(IcoFile, PicturesThatNoIconCanHoldGiveNothing)
{
    EXPECT_TRUE(icoFileBytes({testPicture(16), QImage(16, 8, QImage::Format_ARGB32)}).isEmpty());
    EXPECT_TRUE(icoFileBytes({QImage(512, 512, QImage::Format_ARGB32)}).isEmpty());
    EXPECT_TRUE(icoFileBytes({QImage()}).isEmpty());
}

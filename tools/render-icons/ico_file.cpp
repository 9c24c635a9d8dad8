#include "ico_file.h"

#include <QBuffer>
#include <QtEndian>

namespace {

constexpr int largestSize = 256;
constexpr int directoryHeaderSize = 6;
constexpr int directoryEntrySize = 16;
constexpr int bitmapHeaderSize = 40;

void appendLittle16(QByteArray& bytes, quint16 value)
{
    const quint16 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void appendLittle32(QByteArray& bytes, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Rows run bottom up; the header's height counts the colour rows and the
// mask's rows together.
void appendBitmapHeader(QByteArray& bytes, int size, quint32 dataSize)
{
    appendLittle32(bytes, bitmapHeaderSize);
    appendLittle32(bytes, static_cast<quint32>(size));
    appendLittle32(bytes, static_cast<quint32>(2 * size));
    appendLittle16(bytes, 1);  // planes
    appendLittle16(bytes, 32); // bits per pixel
    appendLittle32(bytes, 0);  // no compression
    appendLittle32(bytes, dataSize);
    for (int unused = 0; unused < 4; ++unused)
        appendLittle32(bytes, 0);
}

// Blue, green, red and alpha bytes of each pixel, then one bit a pixel that
// is set where the pixel is fully transparent, each mask row padded to 32 bits.
QByteArray bitmapBytes(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskRowBytes = (size + 31) / 32 * 4;
    QByteArray colours;
    QByteArray mask;
    for (int y = size - 1; y >= 0; --y) {
        QByteArray maskRow(maskRowBytes, '\0');
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            appendLittle32(colours, pixels[x]);
            if (qAlpha(pixels[x]) == 0)
                maskRow[x / 8] = static_cast<char>(maskRow[x / 8] | (0x80 >> (x % 8)));
        }
        mask.append(maskRow);
    }
    QByteArray bytes;
    appendBitmapHeader(bytes, size, static_cast<quint32>(colours.size() + mask.size()));
    return bytes + colours + mask;
}

QByteArray imageBytes(const QImage& image)
{
    return image.width() == largestSize ? pngBytes(image) : bitmapBytes(image);
}

bool fitsAnIcon(const QImage& image)
{
    return !image.isNull() && image.width() == image.height() && image.width() <= largestSize;
}

} // namespace

QByteArray icoFileBytes(const QList<QImage>& images)
{
    QList<QByteArray> encoded;
    for (const QImage& image : images) {
        if (!fitsAnIcon(image))
            return {};
        encoded.append(imageBytes(image));
    }
    QByteArray file;
    appendLittle16(file, 0); // reserved
    appendLittle16(file, 1); // an icon, not a cursor
    appendLittle16(file, static_cast<quint16>(images.size()));
    quint32 offset = directoryHeaderSize + directoryEntrySize * images.size();
    for (qsizetype index = 0; index < images.size(); ++index) {
        const int size = images[index].width();
        const auto sizeByte = static_cast<char>(size == largestSize ? 0 : size); // 0 means 256
        file.append(sizeByte).append(sizeByte).append('\0').append('\0');        // no palette
        appendLittle16(file, 1);                                                 // planes
        appendLittle16(file, 32);                                                // bits per pixel
        appendLittle32(file, static_cast<quint32>(encoded[index].size()));
        appendLittle32(file, offset);
        offset += static_cast<quint32>(encoded[index].size());
    }
    for (const QByteArray& bytes : encoded)
        file.append(bytes);
    return file;
}

#include "vendrel/cell_text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

constexpr const char* eightBitCodePage = "windows-1252";

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isValidUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

QString decodeEightBit(std::string_view bytes)
{
    QStringDecoder decoder(eightBitCodePage);
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (!decoder.isValid())
        return QString::fromLatin1(view);
    return decoder.decode(view);
}

} // namespace

QString decodeCellBytes(std::string_view bytes)
{
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (isAscii(bytes))
        return QString::fromLatin1(view);
    if (isValidUtf8(bytes))
        return QString::fromUtf8(view);
    return decodeEightBit(bytes);
}

std::string encodeCellText(const QString& text, std::string_view previous)
{
    if (!isAscii(previous) && !isValidUtf8(previous)) {
        QStringEncoder encoder(eightBitCodePage);
        if (encoder.isValid()) {
            const QByteArray bytes = encoder.encode(text);
            if (!encoder.hasError())
                return bytes.toStdString();
        }
    }
    return text.toUtf8().toStdString();
}

DecodedFile decodeFileBytes(std::string_view bytes)
{
    if (isAscii(bytes) || isValidUtf8(bytes))
        return {QString::fromUtf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))), false};
    return {decodeEightBit(bytes), true};
}

std::optional<std::string> encodeFileText(const QString& text, bool eightBit)
{
    if (!eightBit)
        return text.toUtf8().toStdString();
    QStringEncoder encoder(eightBitCodePage);
    if (!encoder.isValid())
        return text.toLatin1().toStdString();
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes.toStdString();
}

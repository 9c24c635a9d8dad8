#include "vendrel/cell_text_codec.h"

#include "core/text/utf8_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

constexpr const char* eightBitCodePage = "windows-1252";

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QByteArrayView viewOf(std::string_view bytes) { return {bytes.data(), static_cast<qsizetype>(bytes.size())}; }

QString decodeEightBit(std::string_view bytes)
{
    QStringDecoder decoder(eightBitCodePage);
    if (!decoder.isValid())
        return QString::fromLatin1(viewOf(bytes));
    return decoder.decode(viewOf(bytes));
}

std::optional<std::string> encodeEightBit(QStringView text)
{
    QStringEncoder encoder(eightBitCodePage);
    if (!encoder.isValid()) {
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; }))
            return std::nullopt;
        return text.toLatin1().toStdString();
    }
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes.toStdString();
}

// The first character (a surrogate pair counts as one) the 8-bit code page cannot hold.
QString firstUnstorable(const QString& text)
{
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(at, length);
        if (!encodeEightBit(character))
            return character.toString();
        at += length;
    }
    return {};
}

} // namespace

QString decodeCellBytes(std::string_view bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(viewOf(bytes));
    if (vendrel::isValidUtf8(bytes))
        return QString::fromUtf8(viewOf(bytes));
    return decodeEightBit(bytes);
}

DecodedFile decodeFileBytes(std::string_view bytes)
{
    if (vendrel::isValidUtf8(bytes))
        return {QString::fromUtf8(viewOf(bytes)), false};
    return {decodeEightBit(bytes), true};
}

std::optional<std::string> encodeFileText(const QString& text, bool eightBit)
{
    if (!eightBit)
        return text.toUtf8().toStdString();
    return encodeEightBit(text);
}

QString codePageRefusal(const QString& text, const QString& outcome)
{
    return QStringLiteral("The file is stored in the Windows-1252 code page, which cannot hold the character \u201C%1\u201D; %2")
        .arg(firstUnstorable(text), outcome);
}

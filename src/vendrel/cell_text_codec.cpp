#include "vendrel/cell_text_codec.h"

#include "platform/text_bytes.h"

namespace vendrel::gui {

namespace {

QString fromUtf16(const std::u16string& text) { return QString::fromStdU16String(text); }

std::optional<std::string> encodeEightBit(QStringView text)
{
    return platform::encodeEightBit(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
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
    if (platform::isAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return fromUtf16(platform::decodeText(bytes));
}

DecodedFile decodeFileBytes(std::string_view bytes)
{
    return {fromUtf16(platform::decodeText(bytes)), !platform::isValidUtf8(bytes)};
}

std::optional<std::string> encodeFileText(const QString& text, bool eightBit)
{
    if (!eightBit)
        return text.toUtf8().toStdString();
    return encodeEightBit(text);
}

QString codePageRefusal(const QString& text, const QString& outcome)
{
    return QStringLiteral("The file is stored in the Windows-1252 code page, "
                          "which cannot hold the character \u201C%1\u201D; %2")
        .arg(firstUnstorable(text), outcome);
}

} // namespace vendrel::gui

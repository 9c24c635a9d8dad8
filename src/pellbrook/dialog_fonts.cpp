#include "pellbrook/dialog_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace pellbrook {
namespace {

const QString wingdings = QStringLiteral("Wingdings");

// The Windows faces first; the metric-compatible free faces take their place
// elsewhere.
QStringList withFallbacks(const QString& face)
{
    return {face, QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Arial")};
}

} // namespace

QFont dialogFont()
{
    QFont font;
    font.setFamilies(withFallbacks(QStringLiteral("MS Shell Dlg")));
    font.setPointSize(8);
    font.setWeight(QFont::Normal);
    return font;
}

QFont CreateLabelFont(const QString& face, int points, unsigned styleBits)
{
    QFont font;
    font.setFamilies(face.compare(wingdings, Qt::CaseInsensitive) == 0 ? QStringList{face} : withFallbacks(face));
    font.setPointSize(points);
    font.setWeight((styleBits & BoldStyle) ? QFont::Bold : QFont::Normal);
    font.setItalic(styleBits & ItalicStyle);
    font.setUnderline(styleBits & UnderlineStyle);
    font.setStrikeOut(styleBits & StrikeOutStyle);
    return font;
}

CheckMarkGlyph checkMarkGlyph()
{
    if (QFontDatabase::families().contains(wingdings, Qt::CaseInsensitive))
        return {wingdings, QString(QChar(0xFC))};
    // U+2714 HEAVY CHECK MARK, which DejaVu Sans and most symbol-rich faces hold.
    return {QStringLiteral("DejaVu Sans"), QString(QChar(0x2714))};
}

} // namespace pellbrook

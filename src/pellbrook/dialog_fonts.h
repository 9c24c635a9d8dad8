#pragma once

#include <QFont>
#include <QString>

namespace pellbrook {

// Style bits of a label font.
enum LabelStyle : unsigned {
    BoldStyle = 0x1,
    ItalicStyle = 0x2,
    UnderlineStyle = 0x4,
    StrikeOutStyle = 0x8,
};

// The dialog's own font: "MS Shell Dlg", 8 points, normal weight, or the
// nearest sans-serif face this machine has.
QFont dialogFont();

// A label font of `face` (falling back to a near sans-serif face when the
// machine lacks it) in `points` with the style bits.
QFont CreateLabelFont(const QString& face, int points, unsigned styleBits);

// What a check-mark label shows: the check mark of the Wingdings symbol font
// when the machine has it, otherwise the check-mark character of a face that
// holds one.
struct CheckMarkGlyph {
    QString face;
    QString text;
};
CheckMarkGlyph checkMarkGlyph();

} // namespace pellbrook

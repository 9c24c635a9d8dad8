#include "pellbrook/markup_label.h"

#include "pellbrook/dialog_fonts.h"
#include "pellbrook/markup_label_accessible.h"
#include "pellbrook/pellbrook_art.h"
#include "safeboot/label_markup.h"

#include <QByteArray>
#include <QMouseEvent>
#include <QPainter>

#include <string_view>

namespace pellbrook {
namespace {

unsigned styleBitsOf(const safeboot::LabelMarkup& markup)
{
    return (markup.bold ? BoldStyle : 0u) | (markup.italic ? ItalicStyle : 0u) |
           (markup.underline ? UnderlineStyle : 0u);
}

} // namespace

MarkupLabel::MarkupLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    makeAccessible(*this);
}

MarkupLabel::Look MarkupLabel::look() const
{
    Look look;
    if (text().isEmpty() || (alignment() & Qt::AlignRight))
        return look;
    const QByteArray bytes = text().toUtf8();
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const safeboot::LabelMarkup markup = safeboot::parseLabelMarkup(view);
    if (!markup.tagged)
        return look;
    if (markup.line) {
        look.kind = Look::Kind::EtchedLine;
        return look;
    }

    look.kind = Look::Kind::Text;
    if (markup.checkMark) {
        const CheckMarkGlyph glyph = checkMarkGlyph();
        look.font = CreateLabelFont(glyph.face, markup.pointSize, styleBitsOf(markup));
        look.text = glyph.text;
        look.checkMark = true;
    } else {
        look.font = CreateLabelFont(QStringLiteral("MS Sans Serif"), markup.pointSize, styleBitsOf(markup));
        const std::string_view shown = safeboot::shownText(view, markup);
        look.text = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    }
    look.color = markup.link ? QColor(Qt::blue) : palette().color(foregroundRole());
    look.alignment = Qt::AlignVCenter | ((alignment() & Qt::AlignHCenter) ? Qt::AlignHCenter : Qt::AlignLeft);
    return look;
}

bool MarkupLabel::isLink() const { return text().contains(QStringLiteral("<URL>")); }

QString MarkupLabel::shownText() const
{
    const Look current = look();
    switch (current.kind) {
    case Look::Kind::Plain:
        return text();
    case Look::Kind::EtchedLine:
        return {};
    case Look::Kind::Text:
        break;
    }
    // In the symbol font the check mark is the code of a letter.
    return current.checkMark ? QString(QChar(0x2714)) : current.text;
}

void MarkupLabel::paintEvent(QPaintEvent* event)
{
    const Look current = look();
    switch (current.kind) {
    case Look::Kind::Plain:
        QLabel::paintEvent(event);
        break;
    case Look::Kind::EtchedLine:
        paintEtchedLine();
        break;
    case Look::Kind::Text:
        paintText(current);
        break;
    }
}

// A sunken line over a raised one along the top edge.
void MarkupLabel::paintEtchedLine()
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, width() - 1, 1);
}

void MarkupLabel::paintText(const Look& look)
{
    QPainter painter(this);
    painter.setFont(look.font);
    painter.setPen(look.color);
    painter.drawText(rect(), static_cast<int>(look.alignment) | Qt::TextSingleLine, look.text);
}

void MarkupLabel::enterEvent(QEnterEvent* event)
{
    if (isLink())
        setCursor(handCursor());
    else
        unsetCursor();
    QLabel::enterEvent(event);
}

void MarkupLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace pellbrook

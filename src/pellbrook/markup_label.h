#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

namespace pellbrook {

// A static text whose leading markup tags ("<B>", "<I>", "<U>", "<URL>",
// "<S=n>", "<HL>", "<CM>") choose how it is painted. Text without tags and
// right-aligned text are painted as a plain label, tags included. A text
// holding "<URL>" is a link: it shows the hand cursor and assistive
// technology calls it a link. A click on the label is reported.
class MarkupLabel final : public QLabel {
    Q_OBJECT

public:
    explicit MarkupLabel(const QString& text, QWidget* parent = nullptr);

    // How the label paints its current text.
    struct Look {
        enum class Kind { Plain, EtchedLine, Text };
        Kind kind = Kind::Plain;
        QFont font;
        QColor color;
        QString text;
        Qt::Alignment alignment;
        bool checkMark = false; // text is the check mark of `font`
    };
    Look look() const;

    bool isLink() const;
    // What the label shows, as characters a reader can speak: the text
    // without its tags, the check-mark character for a check mark, nothing
    // for an etched line. Assistive technology reads it as the label's name.
    QString shownText() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintEtchedLine();
    void paintText(const Look& look);
};

} // namespace pellbrook

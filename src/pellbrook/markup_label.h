#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

namespace pellbrook {

// A static text whose leading markup tags ("<B>", "<I>", "<U>", "<URL>",
// "<S=n>", "<HL>", "<CM>") choose how it is painted. Text without tags and
// right-aligned text are painted as a plain label, tags included. A text
// holding "<URL>" shows the hand cursor; a click on the label is reported.
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
    };
    Look look() const;

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

#pragma once

#include "core/progress.h"

#include <QString>
#include <QWidget>

namespace vendrel::gui {

// A progress strip with a fill that ends in lime green and a centred caption
// in bold blue, used for both progress and the idle line count.
class StatusProgressBar final : public QWidget {
    Q_OBJECT

public:
    explicit StatusProgressBar(QWidget* parent = nullptr);

    void setMaximum(qint64 maximum);
    void setPosition(qint64 position);
    void setText(const QString& text);
    qint64 maximum() const { return maximum_; }
    qint64 position() const { return position_; }
    QString text() const { return text_; }

    // Reports a core operation's progress on this bar, repainting it as it goes.
    vendrel::Progress reporter();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint64 maximum_ = 100;
    qint64 position_ = 0;
    QString text_;
};

} // namespace vendrel::gui

#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

namespace vendrel::gui {

// Reports clicks on a widget that has no click signal of its own (such as a
// text box): the left button released inside it. A text box has placed its
// caret on the press already, so a handler may move it again.
class ClickWatcher final : public QObject {
    Q_OBJECT

public:
    explicit ClickWatcher(QWidget* watched) : QObject(watched) { watched->installEventFilter(this); }

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const auto* widget = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint()))
                emit clicked();
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace vendrel::gui

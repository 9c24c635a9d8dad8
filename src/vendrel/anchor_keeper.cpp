#include "vendrel/anchor_keeper.h"

#include <QEvent>
#include <QWidget>

namespace vendrel::gui {

AnchorKeeper::AnchorKeeper(QWidget* parent) : QObject(parent), parent_(parent), lastSize_(parent->size())
{
    parent->installEventFilter(this);
}

void AnchorKeeper::anchor(QWidget* control, int edges)
{
    lastSize_ = parent_->size();
    anchored_.push_back({control, edges});
}

bool AnchorKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent_ && event->type() == QEvent::Resize) {
        const QSize size = parent_->size();
        follow(lastSize_, size);
        lastSize_ = size;
    }
    return QObject::eventFilter(watched, event);
}

void AnchorKeeper::follow(const QSize& from, const QSize& to)
{
    const int dx = to.width() - from.width();
    const int dy = to.height() - from.height();
    if (dx == 0 && dy == 0)
        return;
    for (const Anchored& entry : anchored_) {
        if (!entry.control)
            continue;
        QRect geometry = entry.control->geometry();
        if (entry.edges & Right) {
            if (entry.edges & Left)
                geometry.setWidth(geometry.width() + dx);
            else
                geometry.moveLeft(geometry.left() + dx);
        }
        if (entry.edges & Bottom) {
            if (entry.edges & Top)
                geometry.setHeight(geometry.height() + dy);
            else
                geometry.moveTop(geometry.top() + dy);
        }
        entry.control->setGeometry(geometry);
    }
}

} // namespace vendrel::gui

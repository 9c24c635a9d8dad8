#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <vector>

class QWidget;

namespace vendrel::gui {

// Keeps controls anchored to edges of their parent while it is resized: a
// control anchored left and right stretches, one anchored only right moves
// with the right edge, and so on, by the change of the parent's size.
class AnchorKeeper final : public QObject {
    Q_OBJECT

public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    explicit AnchorKeeper(QWidget* parent);
    void anchor(QWidget* control, int edges);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Anchored {
        QPointer<QWidget> control;
        int edges;
    };
    void follow(const QSize& from, const QSize& to);

    QWidget* parent_;
    QSize lastSize_;
    std::vector<Anchored> anchored_;
};

} // namespace vendrel::gui

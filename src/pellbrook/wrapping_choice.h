#pragma once

#include <QRadioButton>

namespace pellbrook {

// A radio button whose text wraps over as many lines as its width needs,
// centred vertically beside the indicator. The whole control takes clicks.
class WrappingChoice final : public QRadioButton {
    Q_OBJECT

public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};

} // namespace pellbrook

#include "pellbrook/markup_label_accessible.h"

#include "pellbrook/markup_label.h"

#include <QAccessibleWidget>

namespace pellbrook {
namespace {

class MarkupLabelAccessible final : public QAccessibleWidget {
public:
    explicit MarkupLabelAccessible(MarkupLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override { return label()->isLink() ? QAccessible::Link : QAccessible::StaticText; }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = label()->isLink();
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name || !label()->accessibleName().isEmpty())
            return QAccessibleWidget::text(kind);
        return label()->shownText();
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (label()->isLink())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction() && label()->isLink())
            emit label()->clicked();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    MarkupLabel* label() const { return static_cast<MarkupLabel*>(widget()); }
};

QAccessibleInterface* interfaceFor(const QString&, QObject* object)
{
    auto* label = qobject_cast<MarkupLabel*>(object);
    return label ? new MarkupLabelAccessible(label) : nullptr;
}

} // namespace

void makeAccessible(MarkupLabel& label)
{
    [[maybe_unused]] static const bool installed = (QAccessible::installFactory(&interfaceFor), true);
    // Whatever read the label while its QLabel part was being built was given,
    // and cached, a plain label's interface; dropping it lets readers get this one.
    QAccessibleInterface* current = QAccessible::queryAccessibleInterface(&label);
    if (current && !dynamic_cast<MarkupLabelAccessible*>(current))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

} // namespace pellbrook

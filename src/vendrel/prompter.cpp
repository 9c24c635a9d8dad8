#include "vendrel/prompter.h"

namespace vendrel::gui {

bool ConfirmOK(Prompter& prompter, QWidget* parent, const QString& text, const QString& details)
{
    return prompter.ask(parent, {Prompter::Kind::Confirm, QStringLiteral("Confirm"), text, true, details});
}

} // namespace vendrel::gui

#pragma once

#include "vendrel/prompter.h"

namespace vendrel::gui {

// Message boxes and file dialogs shown for real.
class QtPrompter final : public Prompter {
public:
    bool ask(QWidget* parent, const Message& message) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& folder) override;
};

} // namespace vendrel::gui

#pragma once

#include <QString>

class QWidget;

namespace pellbrook {

// Every question the program asks goes through a Prompter, so that tests
// answer it in advance and nothing blocks.
class Prompter {
public:
    virtual ~Prompter() = default;
    // Asks with a question icon and the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Asks with a message box.
class MessageBoxPrompter final : public Prompter {
public:
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
};

} // namespace pellbrook

#pragma once

#include <QString>

class QWidget;

namespace vendrel::gui {

// Every message box and file dialog of the editor goes through one Prompter,
// so that tests can answer them in advance and nothing blocks.
class Prompter {
public:
    enum class Kind { Confirm, Warning, Information, Error, Notice };

    struct Message {
        Kind kind;
        QString caption;
        QString text;
        bool okCancel; // OK and Cancel buttons; otherwise OK only
        // Shown on request below the text ("Show Details..."); none when empty.
        QString details = {};
    };

    virtual ~Prompter() = default;

    // Shows the message; true when the user answered OK.
    virtual bool ask(QWidget* parent, const Message& message) = 0;
    // Asks for an existing file to open; empty when the user cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder) = 0;
    // Asks for a file name to save to; empty when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& folder) = 0;
};

// The shared OK/Cancel confirmation: caption "Confirm", OK is the default.
bool ConfirmOK(Prompter& prompter, QWidget* parent, const QString& text, const QString& details = {});

} // namespace vendrel::gui

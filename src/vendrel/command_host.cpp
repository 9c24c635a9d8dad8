#include "vendrel/command_host.h"

#include <QAbstractButton>
#include <QAction>

QAction* CommandFamily::newAction(const char* caption, std::function<void()> command)
{
    auto* action = new QAction(QString::fromLatin1(caption), this);
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { host_.runCommand(command); });
    return action;
}

void CommandFamily::connectButton(QAbstractButton* button, std::function<void()> command)
{
    connect(button, &QAbstractButton::clicked, this,
            [this, command = std::move(command)] { host_.runCommand(command); });
}

bool CommandFamily::ask(const Prompter::Message& message)
{
    return host_.prompter().ask(host_.dialogParent(), message);
}

bool CommandFamily::confirm(const QString& text)
{
    return ConfirmOK(host_.prompter(), host_.dialogParent(), text);
}

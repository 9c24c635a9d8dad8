#include "vendrel/command_host.h"

#include <QAbstractButton>
#include <QAction>

void CommandFamily::connectAction(QAction* action, std::function<void()> command)
{
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { host_.runCommand(command); });
}

void CommandFamily::connectButton(QAbstractButton* button, std::function<void()> command)
{
    connect(button, &QAbstractButton::clicked, this, [this, command = std::move(command)] { host_.runCommand(command); });
}

#include "vendrel/command_host.h"

#include "core/preview/change_summary.h"
#include "core/session/hosts_session.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/cell_text_codec.h"

#include <QAbstractButton>
#include <QAction>

namespace {

QString changeDetails(const vendrel::RehearsedChange& change)
{
    if (!change.changesFile())
        return QStringLiteral("This leaves the hosts file as it is.");
    return decodeFileBytes(vendrel::describeChange(vendrel::summarizeChange(change.before, change.after))).text;
}

} // namespace

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

bool CommandFamily::confirm(const QString& text, const QString& details)
{
    return ConfirmOK(host_.prompter(), host_.dialogParent(), text, details);
}

bool CommandFamily::confirmChange(const QString& question, const std::function<void()>& command)
{
    vendrel::RehearsedChange change;
    QString details;
    {
        BusyCursor busy;
        change = host_.session().rehearse(command);
        details = changeDetails(change);
    }
    host_.ShowLineCount(); // the rehearsal's progress is over, the rows are as they were
    if (!confirm(question, details))
        return false;
    BusyCursor busy;
    host_.session().carryOut(std::move(change));
    return true;
}

#include "vendrel/command_host.h"

#include "core/preview/change_summary.h"
#include "core/session/hosts_commands.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/cell_text_codec.h"

#include <QAbstractButton>
#include <QAction>

#include <optional>

namespace vendrel::gui {

namespace {

QString changeDetails(const vendrel::PlannedChange& change)
{
    if (!change.mayChangeFile())
        return QStringLiteral("This leaves the hosts file as it is.");
    const std::string before = change.before.value_or(std::string());
    return decodeFileBytes(vendrel::describeChange(vendrel::summarizeChange(before, change.after))).text;
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

void CommandHost::saveRows(std::string command)
{
    vendrel::PlannedChange change = vendrel::planSaveRows(document(), std::move(command));
    applyChange(change);
    document().adoptWrittenRows(document().basis(), std::move(change.after));
}

void CommandFamily::saveRows(const char* command) { host_.saveRows(command); }

bool CommandFamily::confirmChange(const QString& question, const std::function<vendrel::PlannedChange()>& plan)
{
    std::optional<vendrel::PlannedChange> change;
    QString details;
    {
        BusyCursor busy;
        change = plan();
        details = changeDetails(*change);
    }
    host_.ShowLineCount(); // the plan's progress is over, the rows are as they were
    if (!confirm(question, details))
        return false;
    BusyCursor busy;
    host_.applyChange(*change);
    return true;
}

} // namespace vendrel::gui

#include "vendrel/history_commands.h"

#include "core/error.h"
#include "core/session/change_writer.h"
#include "core/session/history_steps.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/main_widgets.h"

#include <QKeySequence>
#include <QPlainTextEdit>
#include <QShortcut>

namespace vendrel::gui {

HistoryCommands::HistoryCommands(CommandHost& host) : CommandFamily(host)
{
    const auto bind = [this](QKeyCombination keys, void (HistoryCommands::*command)()) {
        auto* shortcut = new QShortcut(QKeySequence(keys), host_.dialogParent());
        connect(shortcut, &QShortcut::activated, this,
                [this, command] { host_.runCommand([this, command] { (this->*command)(); }); });
    };
    bind(Qt::CTRL | Qt::Key_Z, &HistoryCommands::undoClick);
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, &HistoryCommands::redoClick);
    bind(Qt::CTRL | Qt::Key_Y, &HistoryCommands::redoClick);
}

void HistoryCommands::undoClick() { step(vendrel::planUndo); }

void HistoryCommands::redoClick() { step(vendrel::planRedo); }

void HistoryCommands::step(StepPlan plan)
{
    if (!host_.widgets().memopadText->isHidden())
        return; // the text area's own undo has the keys
    try {
        BusyCursor busy;
        host_.applyChange(plan(host_.document(), host_.changeWriter()));
    } catch (const vendrel::Error& refusal) {
        ask({Prompter::Kind::Information, QStringLiteral("Vendrel"), QString::fromLocal8Bit(refusal.what()), false});
        return;
    }
    host_.PopulateList();
}

} // namespace vendrel::gui

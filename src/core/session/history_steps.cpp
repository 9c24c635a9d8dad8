#include "core/session/history_steps.h"

namespace vendrel {
namespace {

// The edit a step back to version `number` makes, when that version keeps
// the edit of its change and it takes the file as it is now back to the
// version's bytes: the change undone line for line.
std::optional<LineEdit> stepEdit(const HostsHistory& history, std::uint64_t number, const PlannedChange& step)
{
    try {
        const std::optional<LineEdit> made = history.edit(number);
        if (!made || !step.before)
            return std::nullopt;
        LineEdit back = inverseLineEdit(step.after, *made);
        if (applyLineEdit(*step.before, back) != step.after)
            return std::nullopt;
        return back;
    } catch (const Error&) {
        return std::nullopt; // the step writes the bytes all the same
    }
}

PlannedChange planStep(const HostsDocument& document, const ChangeWriter& writer, HistoryMove move)
{
    CurrentFile current = document.readCurrent();
    writer.dropChangeNeverMade(document.path(), current.basis);
    const std::optional<HostsHistory> history = writer.history();
    const std::optional<std::uint64_t> number = !history                    ? std::nullopt
                                                : move == HistoryMove::Undo ? history->nextUndo()
                                                                            : history->nextRedo();
    const char* const verb = move == HistoryMove::Undo ? "undo" : "redo";
    if (!number)
        throw Error(std::string("There is no change to ") + verb + ".");
    const VersionInfo version = history->info(*number);
    std::string bytes = history->bytes(*number);
    const std::string command = undoneCommand(version.command);
    if (current.basis.fingerprint != version.hashAfter)
        throw Error(document.path() + " was changed by another program after \"" + command + "\", so it cannot " +
                    verb + " that change; the file was left as it is.");
    PlannedChange change = planFrom(document.path(), std::move(current),
                                    (move == HistoryMove::Undo ? "Undo " : "Redo ") + command, std::move(bytes));
    change.move = move;
    change.stepped = *number;
    change.edit = stepEdit(*history, *number, change);
    return change;
}

} // namespace

std::string undoneCommand(const std::string& command)
{
    for (std::string_view prefix : {"Undo ", "Redo "})
        if (command.starts_with(prefix))
            return undoneCommand(command.substr(prefix.size()));
    return command;
}

PlannedChange planUndo(const HostsDocument& document, const ChangeWriter& writer)
{
    return planStep(document, writer, HistoryMove::Undo);
}

PlannedChange planRedo(const HostsDocument& document, const ChangeWriter& writer)
{
    return planStep(document, writer, HistoryMove::Redo);
}

PlannedChange planRestoreVersion(const HostsDocument& document, const std::optional<HostsHistory>& history,
                                 std::uint64_t number)
{
    if (!history)
        throw Error("There is no history of " + document.path() + ".");
    std::string bytes = history->bytes(number);
    return planFrom(document.path(), document.readCurrent(), "Restore Version " + std::to_string(number),
                    std::move(bytes));
}

} // namespace vendrel

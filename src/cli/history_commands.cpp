// The hosts file's history: the versions kept before each change, undo,
// redo and the restore of one version.

#include "cli/cli_handlers.h"

#include "core/history/hosts_history.h"
#include "core/session/history_steps.h"

#include <chrono>
#include <cstdio>

namespace vendrel::cli {
namespace {

// A command name as read from a version's header, with every control
// character (a terminal's escape codes too) shown as '?'.
std::string printable(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            c = '?';
    return text;
}

std::uint64_t versionArgument(const std::string& text)
{
    const std::optional<std::uint64_t> number = positiveNumber(text);
    if (!number)
        throw UsageError("version " + text + " is not a version number (see the history command)");
    return *number;
}

} // namespace

void historyCommand(CliContext& context)
{
    const std::optional<HostsHistory> history = openSession(context).writer.history();
    const std::vector<VersionInfo> versions = history ? history->versions() : std::vector<VersionInfo>();
    if (versions.empty()) {
        context.out << "No versions of " << context.hostsPath << " are kept yet.\n";
        return;
    }
    for (const VersionInfo& version : versions)
        context.out << version.number << "  " << utcTime(version.time) << "  " << printable(version.command) << "  "
                    << version.linesBefore << " -> " << version.linesAfter << " lines\n";
}

void undoCommand(CliContext& context)
{
    CliSession session = openSession(context);
    const PlannedChange change = planUndo(session.document, session.writer);
    finishChange(context, session, change, "Undone: " + undoneCommand(change.command));
}

void redoCommand(CliContext& context)
{
    CliSession session = openSession(context);
    const PlannedChange change = planRedo(session.document, session.writer);
    finishChange(context, session, change, "Redone: " + undoneCommand(change.command));
}

void restoreVersionCommand(CliContext& context)
{
    CliSession session = openSession(context);
    const std::uint64_t number = versionArgument(context.arguments[0]);
    finishChange(context, session, planRestoreVersion(session.document, session.writer.history(), number));
}

} // namespace vendrel::cli

#include "cli/cli_handlers.h"

#include "cli/dry_run.h"
#include "core/editing/line_commands.h"
#include "core/session/hosts_commands.h"
#include "core/whitelist/whitelist.h"

namespace vendrel::cli {

void whitelistRemoveCommand(CliContext& context)
{
    changeLoadedHosts(context, [](CliSession& session) {
        return planRemoveWhitelisted(session.document, session.paths.whitelistPath());
    });
}

void whitelistAddCommand(CliContext& context)
{
    CliSession session = openSession(context);
    session.document.load();
    if (const auto change = planAddWhitelisted(session.document, session.paths.whitelistPath()))
        finishChange(context, session, *change);
    else if (context.dryRun == DryRun::No)
        printLineCount(context);
    else
        printNothingToWrite(context);
}

// The host goes on the whitelist only when the line is really deleted, not in a dry run.
void whitelistLineCommand(CliContext& context)
{
    changeLoadedHosts(context, [&context](CliSession& session) {
        HostsRows& rows = session.document.rows();
        const std::size_t row = rowArgument(context.arguments[0], rows);
        if (context.dryRun == DryRun::No) {
            createDataFolder(context);
            appendToWhitelist(session.paths.whitelistPath(), rows.host(row));
        }
        deleteRow(rows, row);
        return planSaveRows(session.document, "Delete Line/Add to Whitelist");
    });
}

} // namespace vendrel::cli

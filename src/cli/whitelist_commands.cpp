#include "cli/cli_handlers.h"

#include "core/editing/line_commands.h"
#include "core/session/hosts_session.h"

namespace vendrel::cli {

void whitelistRemoveCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.load();
    session.removeWhitelisted();
    printLineCount(context);
}

void whitelistAddCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.load();
    session.addWhitelisted();
    printLineCount(context);
}

void whitelistLineCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.load();
    const std::size_t row = rowArgument(context.arguments[0], session.rows());
    createDataFolder(context);
    session.addToWhitelist(row);
    deleteRow(session.rows(), row);
    session.save();
    printLineCount(context);
}

} // namespace vendrel::cli

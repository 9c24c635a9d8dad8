#include "cli/cli_handlers.h"

#include "core/editing/line_commands.h"
#include "core/session/hosts_session.h"

namespace vendrel::cli {

void whitelistRemoveCommand(CliContext& context)
{
    runOnLoadedHosts(context, [](HostsSession& session) { session.removeWhitelisted(); });
}

void whitelistAddCommand(CliContext& context)
{
    runOnLoadedHosts(context, [](HostsSession& session) { session.addWhitelisted(); });
}

void whitelistLineCommand(CliContext& context)
{
    runOnLoadedHosts(context, [&context](HostsSession& session) {
        const std::size_t row = rowArgument(context.arguments[0], session.rows());
        createDataFolder(context);
        session.addToWhitelist(row);
        deleteRow(session.rows(), row);
        session.save("Delete Line/Add to Whitelist");
    });
}

} // namespace vendrel::cli

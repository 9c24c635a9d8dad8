#include "cli/cli_handlers.h"

#include "core/error.h"
#include "core/session/hosts_session.h"

#include <filesystem>

namespace vendrel::cli {
namespace {

bool exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

} // namespace

HostsSession openSession(const CliContext& context)
{
    HostsSession session(context.hostsPath, context.dataDir, HostsSession::Locking::HeldByOwner);
    session.rehearseWrites(context.rehearsal);
    session.writeWithPrivileges(context.system.privilegedHostsWriter(context.hostsPath));
    return session;
}

void createDataFolder(const CliContext& context)
{
    std::error_code error;
    std::filesystem::create_directories(context.dataDir, error);
    if (error)
        throw Error("Cannot create folder " + context.dataDir + ": " + error.message());
}

// Sort and merge work on the file's text; rows would only cost time and memory.
void sortCommand(CliContext& context)
{
    openSession(context).sortHostsFile();
    printLineCount(context);
}

void mergeCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.loadRedirectAddress();
    session.mergeSequence(context.arguments[0]);
    printLineCount(context);
}

// Append and replace refuse, as the editor does when it starts, a hosts file
// it cannot hold; a missing one is created.
void appendCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.loadIfPresent();
    session.FileAppend(context.arguments[0]);
    printLineCount(context);
}

void replaceCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.loadIfPresent();
    session.FileRewrite(context.arguments[0]);
    printLineCount(context);
}

void removeBlockingCommand(CliContext& context)
{
    runOnLoadedHosts(context, [](HostsSession& session) { session.removeBlockingEntries(); });
}

void swapCommand(CliContext& context)
{
    runOnLoadedHosts(context, [](HostsSession& session) { session.swapLocalhosts(); });
}

void backupCommand(CliContext& context)
{
    const bool force = !context.arguments.empty();
    if (force && context.arguments[0] != "--force")
        throw UsageError("usage: vendrel-cli backup [--force]");
    HostsSession session = openSession(context);
    if (exists(session.backupPath()) && !force)
        throw Error("a backup already exists at " + session.backupPath() + "; use --force to overwrite it");
    session.load();
    createDataFolder(context);
    session.saveBackup();
    printLineCount(context);
}

void restoreCommand(CliContext& context)
{
    HostsSession session = openSession(context);
    session.loadIfPresent();
    session.restoreBackup();
    printLineCount(context);
}

void restoreDefaultCommand(CliContext& context)
{
    openSession(context).WriteDefaultHosts();
    printLineCount(context);
}

} // namespace vendrel::cli

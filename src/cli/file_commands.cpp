#include "cli/cli_handlers.h"

#include "cli/dry_run.h"
#include "core/error.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_count.h"
#include "core/hosts/list_file_format.h"
#include "core/session/hosts_commands.h"

#include <filesystem>

namespace vendrel::cli {
namespace {

bool exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

} // namespace

CliSession openSession(const CliContext& context)
{
    CliSession session{HostsDocument(context.hostsPath, Locking::HeldByOwner),
                       ChangeWriter(context.keepsHistory ? context.dataDir : std::string(), Locking::HeldByOwner),
                       EditorPaths{{}, {}, context.dataDir}};
    session.writer.writeWithPrivileges(context.system.privilegedHostsWriter(context.hostsPath));
    session.document.setStyle(context.system.hostsFileStyle());
    return session;
}

// The count after a command: the file was just written from text, so its rows are only counted.
void printLineCount(CliContext& context)
{
    context.out << lineCountText(countHostsFileRows(context.hostsPath)) << '\n';
}

bool reportChange(CliContext& context, CliSession& session, const PlannedChange& change, const std::string& appliedNote)
{
    if (context.dryRun != DryRun::No) {
        printPlannedChange(context, change);
        return false;
    }
    if (!session.writer.apply(change).written)
        context.out << context.hostsPath << " is unchanged: \"" << change.command << "\" left it as it was.\n";
    if (!change.note.empty())
        context.out << change.note << '\n';
    if (!appliedNote.empty())
        context.out << appliedNote << '\n';
    return true;
}

bool finishChange(CliContext& context, CliSession& session, const PlannedChange& change, const std::string& appliedNote)
{
    if (!reportChange(context, session, change, appliedNote))
        return false;
    printLineCount(context);
    return true;
}

void createDataFolder(const CliContext& context)
{
    std::error_code error;
    const bool created = std::filesystem::create_directories(context.dataDir, error);
    if (error)
        throw Error("Cannot create folder " + context.dataDir + ": " + error.message() +
                    "; nothing was changed (--no-history makes a change without keeping its version)");
    // It keeps copies of the hosts file: no one else needs to read them.
    if (created)
        std::filesystem::permissions(context.dataDir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
}

// Sort and merge work on the file's text; rows would only cost time and memory.
void sortCommand(CliContext& context)
{
    CliSession session = openSession(context);
    const bool shown = context.dryRun != DryRun::No;
    finishChange(context, session,
                 planSortFile(session.document, shown ? BytesBefore::Kept : BytesBefore::GivenUp,
                              shown ? std::nullopt : session.writer.draftFolder()));
}

void mergeCommand(CliContext& context)
{
    CliSession session = openSession(context);
    session.document.readLoadable(); // the file's redirect address, refused as a load refuses it
    finishChange(context, session, planMerge(session.document, context.arguments[0]));
}

// Append and replace refuse, as the editor does when it starts, a hosts file
// it cannot hold; a missing one is created.
void appendCommand(CliContext& context)
{
    CliSession session = openSession(context);
    session.document.loadIfPresent();
    finishChange(context, session, planAppend(session.document, context.arguments[0]));
}

void replaceCommand(CliContext& context)
{
    CliSession session = openSession(context);
    session.document.loadIfPresent();
    finishChange(context, session, planReplace(session.document, context.arguments[0]));
}

void removeBlockingCommand(CliContext& context)
{
    changeLoadedHosts(context, [](CliSession& session) { return planRemoveBlocking(session.document); });
}

void swapCommand(CliContext& context)
{
    changeLoadedHosts(context, [](CliSession& session) { return planSwap(session.document); });
}

void backupCommand(CliContext& context)
{
    const bool force = context.options.has("--force");
    CliSession session = openSession(context);
    const std::string backupPath = session.paths.backupPath();
    if (exists(backupPath) && !force)
        throw Error("a backup already exists at " + backupPath + "; use --force to overwrite it");
    session.document.load();
    createDataFolder(context);
    saveBackupList(session.document.rows(), backupPath);
    printLineCount(context);
}

void restoreCommand(CliContext& context)
{
    CliSession session = openSession(context);
    session.document.loadIfPresent();
    finishChange(context, session, planRestoreBackup(session.document, session.paths.backupPath()));
}

std::string restoreDefaultDetails(platform::Platform& system)
{
    return "On this system that is " + defaultHostsDescription(system.hostsFileStyle()) + ".";
}

void restoreDefaultCommand(CliContext& context)
{
    CliSession session = openSession(context);
    finishChange(context, session, planDefaultHosts(session.document));
}

} // namespace vendrel::cli

#include "cli/cli_handlers.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/error.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "platform/platform.h"

#include <filesystem>

namespace vendrel::cli {
namespace {

bool exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

// The redirect address the editor would hold after loading the hosts file.
std::string redirectAddressOf(const std::string& hostsPath)
{
    return loadHostsFile(hostsPath).redirectAddress.value_or("");
}

// Refuses, as the editor does when it starts, a hosts file it cannot hold;
// a missing one is left for the command to create.
void checkHostsLoads(const std::string& hostsPath)
{
    if (exists(hostsPath))
        loadHostsFile(hostsPath);
}

std::string backupPathOf(const CliContext& context)
{
    return platform::joinPath(context.dataDir, backupFileName);
}

} // namespace

void createDataFolder(const CliContext& context)
{
    std::error_code error;
    std::filesystem::create_directories(context.dataDir, error);
    if (error)
        throw Error("Cannot create folder " + context.dataDir + ": " + error.message());
}

void sortCommand(CliContext& context)
{
    const LoadedHosts loaded = loadHostsFile(context.hostsPath);
    writeWholeFile(context.hostsPath, sortHostsText(formatList(loaded.rows), loaded.redirectAddress.value_or("")));
    printLineCount(context);
}

void mergeCommand(CliContext& context)
{
    mergeAndSortHostsFile(context.hostsPath, context.arguments[0], redirectAddressOf(context.hostsPath));
    printLineCount(context);
}

void appendCommand(CliContext& context)
{
    checkHostsLoads(context.hostsPath);
    FileAppend(readTextLines(context.arguments[0]).lines, context.hostsPath);
    printLineCount(context);
}

void replaceCommand(CliContext& context)
{
    checkHostsLoads(context.hostsPath);
    FileRewrite(readTextLines(context.arguments[0]).lines, context.hostsPath);
    printLineCount(context);
}

void removeBlockingCommand(CliContext& context)
{
    const std::string text = readWholeFile(context.hostsPath);
    const LoadedHosts loaded = loadHostsFile(context.hostsPath);
    const auto result = removeBlockingEntries(text, loaded.redirectAddress.value_or(""));
    if (!result)
        throw Error(noBlockingAddressReason(loaded.redirectLine));
    writeWholeFile(context.hostsPath, *result);
    printLineCount(context);
}

void swapCommand(CliContext& context)
{
    LoadedHosts loaded = loadHostsFile(context.hostsPath);
    if (!swapLocalhosts(loaded.rows, loaded.redirectAddress.value_or("")))
        throw Error(noBlockingAddressReason(loaded.redirectLine));
    SaveList(loaded.rows, context.hostsPath);
    printLineCount(context);
}

void backupCommand(CliContext& context)
{
    const bool force = !context.arguments.empty();
    if (force && context.arguments[0] != "--force")
        throw UsageError("usage: vendrel-cli backup [--force]");
    const std::string backupPath = backupPathOf(context);
    if (exists(backupPath) && !force)
        throw Error("a backup already exists at " + backupPath + "; use --force to overwrite it");
    const LoadedHosts loaded = loadHostsFile(context.hostsPath);
    createDataFolder(context);
    SaveList(loaded.rows, backupPath);
    printLineCount(context);
}

void restoreCommand(CliContext& context)
{
    const LoadedHosts backup = loadHostsFile(backupPathOf(context));
    checkHostsLoads(context.hostsPath);
    SaveList(backup.rows, context.hostsPath);
    printLineCount(context);
}

void restoreDefaultCommand(CliContext& context)
{
    WriteDefaultHosts(context.hostsPath);
    printLineCount(context);
}

} // namespace vendrel::cli

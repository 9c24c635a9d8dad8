#include "cli/cli_handlers.h"

#include "core/bulk/file_sort.h"
#include "core/editing/line_commands.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/whitelist/whitelist.h"

#include <filesystem>

namespace vendrel::cli {
namespace {

std::string whitelistPathOf(const CliContext& context)
{
    return whitelistPathIn(context.dataDir);
}

} // namespace

void whitelistRemoveCommand(CliContext& context)
{
    LoadedHosts loaded = loadHostsFile(context.hostsPath);
    removeWhitelistedRows(loaded.rows, readWhitelist(whitelistPathOf(context)));
    SaveList(loaded.rows, context.hostsPath);
    printLineCount(context);
}

void whitelistAddCommand(CliContext& context)
{
    const std::string whitelistPath = whitelistPathOf(context);
    std::error_code ignored;
    if (std::filesystem::exists(whitelistPath, ignored)) {
        LoadedHosts loaded = loadHostsFile(context.hostsPath);
        const std::string redirect = loaded.redirectAddress.value_or("");
        addWhitelistRows(loaded.rows, readWhitelist(whitelistPath), redirect);
        writeWholeFile(context.hostsPath, sortHostsText(formatList(loaded.rows), redirect));
    }
    printLineCount(context);
}

void whitelistLineCommand(CliContext& context)
{
    LoadedHosts loaded = loadHostsFile(context.hostsPath);
    const std::size_t row = rowArgument(context.arguments[0], loaded.rows);
    createDataFolder(context);
    appendToWhitelist(whitelistPathOf(context), loaded.rows.host(row));
    deleteRow(loaded.rows, row);
    SaveList(loaded.rows, context.hostsPath);
    printLineCount(context);
}

} // namespace vendrel::cli

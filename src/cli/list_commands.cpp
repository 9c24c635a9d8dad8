#include "cli/cli_handlers.h"

#include "core/editing/line_commands.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_count.h"
#include "core/hosts/list_file_format.h"
#include "core/session/hosts_commands.h"

namespace vendrel::cli {
namespace {

// Loads the hosts file, applies one change to its rows and saves the whole list.
template <typename Change>
void changeRows(CliContext& context, const char* command, Change&& change)
{
    changeLoadedHosts(context, [&](CliSession& session) {
        change(session.document.rows());
        return planSaveRows(session.document, command);
    });
}

} // namespace

std::optional<std::uint64_t> positiveNumber(const std::string& text)
{
    std::size_t consumed = 0;
    unsigned long long number = 0;
    try {
        number = std::stoull(text, &consumed);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (consumed != text.size() || text.starts_with('-') || number == 0)
        return std::nullopt;
    return number;
}

std::size_t rowArgument(const std::string& text, const HostsRows& rows)
{
    const std::optional<std::uint64_t> number = positiveNumber(text);
    if (!number || *number > rows.size())
        throw UsageError("line number " + text + " is outside the list (1 to " + std::to_string(rows.size()) + ")");
    return static_cast<std::size_t>(*number - 1);
}

void showCommand(CliContext& context)
{
    const LoadedHosts loaded = loadHostsFile(context.hostsPath);
    const std::string text = formatList(loaded.rows);
    context.out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Loads the file as the editor does, so that it is refused as the editor refuses it.
void linesCommand(CliContext& context)
{
    context.out << lineCountText(loadHostsFile(context.hostsPath).rows.size()) << '\n';
}

void toggleCommand(CliContext& context)
{
    changeRows(context, "Toggle Comment",
               [&context](HostsRows& rows) { toggleLineComment(rows, rowArgument(context.arguments[0], rows)); });
}

void deleteCommand(CliContext& context)
{
    changeRows(context, "Delete Line",
               [&context](HostsRows& rows) { deleteRow(rows, rowArgument(context.arguments[0], rows)); });
}

void addCommand(CliContext& context)
{
    changeRows(context, "Add Line", [&context](HostsRows& rows) {
        const auto [address, host] = splitTypedLine(context.arguments[0]);
        rows.appendRow(address, host);
    });
}

} // namespace vendrel::cli

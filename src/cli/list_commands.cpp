#include "cli/cli_handlers.h"

#include "core/editing/line_commands.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_count.h"
#include "core/hosts/list_file_format.h"
#include "core/session/hosts_commands.h"
#include "core/session/list_text.h"

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

// Changes a few rows as `onText` says on the file's text, when it is as the
// list saves it: only their lines are written anew, and no rows are made of
// the others. Otherwise (or for a dry run, which shows the change against
// the whole file) `onRows` changes the loaded rows, which are saved whole.
template <typename OnText, typename OnRows>
void changeListRows(CliContext& context, const char* command, OnText&& onText, OnRows&& onRows)
{
    if (context.dryRun == DryRun::No) {
        CliSession session = openSession(context);
        if (std::optional<ListText> text = ListText::of(session.document.readLoadable())) {
            const RowsReplacement replacement = onText(*text);
            const std::size_t rowsAfter = text->rows() - replacement.removed + replacement.rows.size();
            if (std::optional<PlannedChange> change = text->replaceRows(context.hostsPath, command, replacement)) {
                reportChange(context, session, *change);
                change.reset(); // its text goes before the count is printed
                context.out << lineCountText(rowsAfter) << '\n';
                return;
            }
        }
    }
    changeRows(context, command, onRows);
}

// Row `row` of the text, as the rows of a list of its own.
HostsRows rowOf(const ListText& text, std::size_t row)
{
    const ListRow cells = text.row(row);
    HostsRows rows;
    rows.setRow(0, cells.address, cells.host);
    return rows;
}

ListRow cellsOf(const HostsRows& rows, std::size_t row)
{
    return {std::string(rows.address(row)), std::string(rows.host(row))};
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

std::size_t rowArgument(const std::string& text, std::size_t rowCount)
{
    const std::optional<std::uint64_t> number = positiveNumber(text);
    if (!number || *number > rowCount)
        throw UsageError("line number " + text + " is outside the list (1 to " + std::to_string(rowCount) + ")");
    return static_cast<std::size_t>(*number - 1);
}

std::size_t rowArgument(const std::string& text, const HostsRows& rows) { return rowArgument(text, rows.size()); }

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
    const std::string& number = context.arguments[0];
    changeListRows(
        context, "Toggle Comment",
        [&number](const ListText& text) {
            const std::size_t row = rowArgument(number, text.rows());
            HostsRows toggled = rowOf(text, row);
            toggleLineComment(toggled, 0);
            return RowsReplacement{row, 1, {cellsOf(toggled, 0)}};
        },
        [&number](HostsRows& rows) { toggleLineComment(rows, rowArgument(number, rows)); });
}

void deleteCommand(CliContext& context)
{
    const std::string& number = context.arguments[0];
    changeListRows(
        context, "Delete Line",
        [&number](const ListText& text) {
            // The list keeps its last row, as deleteRow does.
            const std::size_t row = rowArgument(number, text.rows());
            return RowsReplacement{row, text.rows() > 1 ? std::size_t{1} : 0, {}};
        },
        [&number](HostsRows& rows) { deleteRow(rows, rowArgument(number, rows)); });
}

void addCommand(CliContext& context)
{
    // Named cells: some compilers let no lambda capture a structured binding.
    const std::pair<std::string, std::string> typed = splitTypedLine(context.arguments[0]);
    const std::string& address = typed.first;
    const std::string& host = typed.second;
    changeListRows(
        context, "Add Line",
        [&](const ListText& text) {
            return RowsReplacement{text.rows(), 0, {{address, host}}};
        },
        [&](HostsRows& rows) { rows.appendRow(address, host); });
}

} // namespace vendrel::cli

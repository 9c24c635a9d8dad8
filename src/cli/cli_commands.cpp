#include "cli/cli_app.h"

#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_count.h"
#include "core/hosts/list_file_format.h"

namespace vendrel::cli {
namespace {

void showCommand(CliContext& context)
{
    const LoadedHosts loaded = loadHostsFile(context.hostsPath);
    const std::string text = formatList(loaded.rows);
    context.out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void linesCommand(CliContext& context)
{
    const LoadedHosts loaded = loadHostsFile(context.hostsPath);
    context.out << lineCountText(loaded.rows.size()) << '\n';
}

} // namespace

const std::vector<CliCommand>& commandTable()
{
    static const std::vector<CliCommand> table = {
        {"show", "", "print the hosts file as the editor saves it", 0, 0, showCommand},
        {"lines", "", "print the line count as the editor's status bar shows it", 0, 0, linesCommand},
    };
    return table;
}

} // namespace vendrel::cli

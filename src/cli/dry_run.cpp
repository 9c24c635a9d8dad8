#include "cli/dry_run.h"

#include "core/preview/change_summary.h"
#include "core/preview/unified_diff.h"

namespace vendrel::cli {
namespace {

void printRehearsal(CliContext& context, const RehearsedChange& change, DryRun dryRun)
{
    if (!change.changesFile()) {
        context.out << "Dry run: the command would not write " << context.hostsPath << ".\n";
        return;
    }
    context.out << "Dry run: \"" << change.command << "\" would write " << context.hostsPath
                << "; nothing was written.\n"
                << describeChange(summarizeChange(change.before, change.after));
    if (dryRun == DryRun::WithDiff)
        context.out << unifiedDiff(change.before, change.after, context.hostsPath, context.hostsPath);
}

} // namespace

void rehearseCommand(CliContext& context, DryRun dryRun, const std::function<void()>& command)
{
    RehearsedChange found;
    context.rehearsal = &found;
    try {
        command();
    } catch (const WriteRehearsed&) {
    }
    context.rehearsal = nullptr;
    printRehearsal(context, found, dryRun);
}

} // namespace vendrel::cli

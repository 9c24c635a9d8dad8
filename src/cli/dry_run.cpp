#include "cli/dry_run.h"

#include "core/preview/change_summary.h"
#include "core/preview/unified_diff.h"

namespace vendrel::cli {

void printNothingToWrite(CliContext& context)
{
    context.out << "Dry run: the command would not write " << context.hostsPath << ".\n";
}

void printPlannedChange(CliContext& context, const PlannedChange& change)
{
    if (!change.note.empty())
        context.out << change.note << '\n';
    if (!change.mayChangeFile()) {
        printNothingToWrite(context);
        return;
    }
    const std::string before = change.before.value_or(std::string());
    context.out << "Dry run: \"" << change.command << "\" would write " << context.hostsPath
                << "; nothing was written.\n"
                << describeChange(summarizeChange(before, change.after));
    if (context.dryRun == DryRun::WithDiff)
        context.out << unifiedDiff(before, change.after, context.hostsPath, context.hostsPath);
}

} // namespace vendrel::cli

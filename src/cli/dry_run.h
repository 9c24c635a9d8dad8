#pragma once

#include "cli/cli_app.h"
#include "core/session/planned_change.h"

namespace vendrel::cli {

// Prints what `change` would do to the hosts file, for --dry-run: the
// summary of the change and, with a diff, the change as a unified diff.
void printPlannedChange(CliContext& context, const PlannedChange& change);
// What a dry run prints of a command that finds nothing to change.
void printNothingToWrite(CliContext& context);

} // namespace vendrel::cli

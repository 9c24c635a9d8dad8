#pragma once

#include "cli/cli_app.h"

#include <functional>

namespace vendrel::cli {

enum class DryRun { No, Summary, WithDiff };

// Runs `command` with the hosts file's writes rehearsed (context.rehearsal)
// and prints what its write would change: the summary of the change and,
// with a diff, the change as a unified diff. Nothing is written.
void rehearseCommand(CliContext& context, DryRun dryRun, const std::function<void()>& command);

} // namespace vendrel::cli

#pragma once

#include "core/session/change_writer.h"
#include "core/session/history_steps.h"
#include "core/session/hosts_commands.h"
#include "core/session/hosts_document.h"

#include <string>

namespace testing_support {

// A hosts document and the writer of its changes, driven as the programs
// drive them: a command's plan is applied, and the rows then stand for what
// was written.
struct SessionDriver {
    SessionDriver(std::string hostsPath, std::string dataFolder,
                  vendrel::Locking locking = vendrel::Locking::EachAccess)
        : document(std::move(hostsPath), locking), writer(std::move(dataFolder), locking)
    {
    }

    vendrel::AppliedChange apply(const vendrel::PlannedChange& change)
    {
        vendrel::AppliedChange applied = writer.apply(change);
        document.adopt(applied.basis);
        return applied;
    }
    // Saves the rows after a line command as the editor does, keeping the
    // text written for the next one.
    vendrel::AppliedChange saveRows(std::string command)
    {
        vendrel::PlannedChange change = vendrel::planSaveRows(document, std::move(command));
        vendrel::AppliedChange applied = apply(change);
        document.adoptWrittenRows(applied.basis, std::move(change.after));
        return applied;
    }
    // Undoes or redoes the last change and returns that change's command.
    std::string undo() { return step(vendrel::planUndo(document, writer)); }
    std::string redo() { return step(vendrel::planRedo(document, writer)); }

    vendrel::HostsDocument document;
    vendrel::ChangeWriter writer;

private:
    std::string step(const vendrel::PlannedChange& change)
    {
        apply(change);
        return vendrel::undoneCommand(change.command);
    }
};

} // namespace testing_support

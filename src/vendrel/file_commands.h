#pragma once

#include "vendrel/command_host.h"

#include <string>

class QString;
namespace vendrel {
class HostsDocument;
class CommandRefused;
struct PlannedChange;
} // namespace vendrel

namespace vendrel::gui {

// The commands on the whole hosts file: append, replace and merge from a
// chosen file (from the File menu or the File Handling panel), sort, remove
// every blocking entry, and swap the blocking address.
class FileCommands final : public CommandFamily {
public:
    FileCommands(CommandHost& host, ControlRecords controls);

    void SortFile1Click();
    // The next file dialog opens where `path` is.
    void rememberChosenFile(std::string path) { lastChosenFile_ = std::move(path); }

private:
    // Append and Replace of the File menu: a file is picked, the user
    // confirms `question` seeing what the change does, and it is written.
    using FilePlan = vendrel::PlannedChange (*)(const vendrel::HostsDocument&, const std::string&);
    void changeWithChosenFile(const QString& question, FilePlan plan);
    // The merge sequence of the file at `mergePath`, confirmed with `question`;
    // true when it was written.
    bool confirmMerge(const QString& question, const std::string& mergePath);
    // The line count and list after a whole-file change.
    void showChangedFile();
    void mergeFileClick();
    void selectFileClick();
    void returnFileHandlingToIdle();
    std::string pickFile();
    void removeAllBlockingClick();
    void swapLocalhostsClick();
    void tellRefusal(const vendrel::CommandRefused& refusal);

    std::string lastChosenFile_;
};

} // namespace vendrel::gui

#pragma once

#include "vendrel/command_host.h"

#include <string>

class QString;
namespace vendrel {
class HostsSession;
class NoBlockingAddress;
} // namespace vendrel

// The commands on the whole hosts file: append, replace and merge from a
// chosen file (from the File menu or the File Handling panel), sort, remove
// every blocking entry, and swap the blocking address.
class FileCommands final : public CommandFamily {
public:
    FileCommands(CommandHost& host, ControlRecords controls);

    // The merge every merge command runs: merge, sort, line count, reload.
    void mergeSequence(const std::string& mergePath);
    void SortFile1Click();
    // The next file dialog opens where `path` is.
    void rememberChosenFile(std::string path) { lastChosenFile_ = std::move(path); }

private:
    // Append and Replace of the File menu: a file is picked, the user
    // confirms `question`, and `change` runs with the file.
    void changeWithChosenFile(const QString& question, void (vendrel::HostsSession::*change)(const std::string&));
    void mergeFileClick();
    void selectFileClick();
    void runFileChoice();
    void returnFileHandlingToIdle();
    std::string pickFile();
    void removeAllBlockingClick();
    void swapLocalhostsClick();
    void tellNoBlockingAddress(const vendrel::NoBlockingAddress& refusal);

    std::string lastChosenFile_;
};

#pragma once

#include "vendrel/command_host.h"

#include <string>

namespace vendrel {
class NoBlockingAddress;
}

// The commands on the whole hosts file: append, replace and merge from a
// chosen file (from the File menu or the File Handling panel), sort, remove
// every blocking entry, and swap the blocking address.
class FileCommands final : public CommandFamily {
public:
    explicit FileCommands(CommandHost& host);

    // The merge every merge command runs: merge, sort, line count, reload.
    void mergeSequence(const std::string& mergePath);
    void SortFile1Click();
    // The next file dialog opens where `path` is.
    void rememberChosenFile(std::string path) { lastChosenFile_ = std::move(path); }

private:
    void appendFileClick();
    void replaceFileClick();
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

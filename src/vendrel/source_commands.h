#pragma once

#include "core/sources/source_fetch.h"
#include "core/sources/source_records.h"
#include "core/sources/source_update.h"
#include "vendrel/command_host.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vendrel::gui {

// The Download menu's sources: "Sources..." shows and edits the block-list
// sources, "Update All Sources" fetches every enabled one on a worker
// thread, as a download runs (the progress bar, the menus shut, Cancel
// Download), and applies them to the hosts file in one change.
class SourceCommands final : public CommandFamily {
public:
    // `downloadHost` ("name:port") replaces every source's host when not empty.
    SourceCommands(CommandHost& host, std::string downloadHost, MainMenus& menus);
    ~SourceCommands() override;

    bool updating() const { return update_ != nullptr; }

private:
    void showSources();
    void updateAllSources();
    // Of the update `generation`: a stale one's events are dropped.
    void received(std::uint64_t generation, std::uint64_t bytes);
    void applyFetched(std::uint64_t generation, std::vector<vendrel::FetchedSource> fetched);
    void applyUpdate(vendrel::SourceUpdate& update, std::vector<vendrel::FetchedSource> fetched);
    void tellReport(const vendrel::SourceUpdate& update, const std::string& flushed);
    void cancelUpdate();
    void endUpdate();
    std::string sourcesPath() const;
    // Ends the update's wait cursor and mode; once, however often it is called.
    void showUpdateEnded();

    std::string downloadHost_;
    // In the editor's data folder, which is known once the window has started.
    std::unique_ptr<vendrel::SourceRecords> records_;
    bool updateShown_ = false;
    std::unique_ptr<vendrel::SourceUpdate> update_;
    std::uint64_t generation_ = 0;
    // Last, so that it goes first: the fetch is stopped and joined before the rest goes.
    std::jthread worker_;
};

} // namespace vendrel::gui

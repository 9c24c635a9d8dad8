#pragma once

#include "core/download/block_lists.h"
#include "core/download/url_grabber.h"
#include "core/progress.h"
#include "core/session/hosts_document.h"
#include "core/session/planned_change.h"
#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vendrel {

enum class DownloadUse { Merge, Replace };

// The DNS Client service runs: a large hosts file would slow every look-up
// down, so no block list is downloaded.
bool dnsClientRefusesDownload(platform::Platform& system);

// The change the block list `member` of a downloaded archive at `zipPath`
// makes: unpacked into `folder`, cut down to its blocking entries (the
// change's note says how many lines named by `listName`, the member by
// default, were left out), then merged into the hosts file or put in its
// place. The archive and the list unpacked from it are removed, however it
// ends; `listPath`, if given, is told where the list was unpacked.
PlannedChange planDownloadedList(const HostsDocument& document, const std::string& zipPath, const std::string& member,
                                 DownloadUse use, const std::string& folder, const Progress& progress = {},
                                 std::string* listPath = nullptr, std::string_view listName = {});

// One download of a published block list, as both the editor and the CLI
// run it: the archive fetched from `url` into the data folder by the
// worker, then unpacked and planned as a merge into the hosts file or its
// replacement, and removed however it ends.
class BlockListFetch {
public:
    struct Events {
        std::function<void(std::uint64_t position, std::uint64_t totalSize)> progress;
        // The archive is in the data folder: planArrivedList() may run.
        std::function<void()> arrived;
        std::function<void(const std::string& message)> failed;
    };

    BlockListFetch(EventPoster poster, Events events);

    // Starts fetching `list` from `url` (its publisher's address when empty)
    // into `dataFolder`, for `use`; the worker runs until it has ended.
    void start(const BlockListSource& list, DownloadUse use, std::string url, const std::string& dataFolder,
               std::optional<int> timeLimitSeconds = std::nullopt);
    // Ends the transfer under way; nothing more of it arrives.
    void cancel();
    bool running() const { return grabber_.status() != GrabberStatus::Stopped; }
    bool waitUntilEnded(int milliseconds) const { return grabber_.waitUntilEnded(milliseconds); }
    const std::string& url() const { return url_; }
    HttpUrlGrabber& grabber() { return grabber_; }

    // The change the arrived list makes of the hosts file (planDownloadedList).
    PlannedChange planArrivedList(const HostsDocument& document, const Progress& progress = {},
                                  std::string* listPath = nullptr);
    // Removes the archive, when a download's end leaves it unused.
    void discardArchive() const;

private:
    std::string archivePath_;
    std::string dataFolder_;
    std::string member_;
    std::string listName_;
    std::string url_;
    DownloadUse use_ = DownloadUse::Merge;
    // Last, so that it goes first: its worker is joined before the rest goes.
    HttpUrlGrabber grabber_;
};

} // namespace vendrel

#pragma once

#include "core/history/hosts_history.h"

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace vendrel {

// Compresses the versions a session keeps stored, after the write they were
// kept for, so that a change of a large hosts file does not wait for the
// compression. The history's files change only under the hosts file's lock:
// on a thread of its own the compactor takes that lock itself, which is
// why a session waits for it (finish) before it takes the lock again. A
// version left stored (the program ended first, the lock was busy) is whole
// all the same, only larger.
class VersionCompactor {
public:
    VersionCompactor() = default;
    VersionCompactor(VersionCompactor&& other) noexcept
        : pending_(std::exchange(other.pending_, std::nullopt)), worker_(std::move(other.worker_))
    {
    }
    VersionCompactor& operator=(VersionCompactor&& other) noexcept
    {
        finish();
        pending_ = std::exchange(other.pending_, std::nullopt);
        worker_ = std::move(other.worker_);
        return *this;
    }
    ~VersionCompactor() { finish(); }

    // Compresses version `number` of `history` here and now; the caller holds the lock.
    static void compactNow(const HostsHistory& history, std::uint64_t number);
    // Compresses it when the compactor finishes (at the latest when it goes),
    // for an owner that holds the lock throughout: by then the texts of the
    // write are gone, so that the compression adds nothing to the peak.
    void compactAtFinish(HostsHistory history, std::uint64_t number);
    // Compresses it on the compactor's thread, under the lock of the hosts file at `hostsPath`.
    void compactLater(HostsHistory history, std::uint64_t number, std::string hostsPath);
    // Waits for the compression under way, if any, or runs the one put off.
    void finish();

private:
    struct Pending {
        HostsHistory history;
        std::uint64_t number;
    };
    std::optional<Pending> pending_;
    std::jthread worker_;
};

} // namespace vendrel

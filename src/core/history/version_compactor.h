#pragma once

#include "core/history/hosts_history.h"

#include <cstdint>
#include <string>
#include <thread>

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
    VersionCompactor(VersionCompactor&&) noexcept = default;
    VersionCompactor& operator=(VersionCompactor&&) noexcept = default;
    ~VersionCompactor() { finish(); }

    // Compresses version `number` of `history` here and now; the caller holds the lock.
    static void compactNow(const HostsHistory& history, std::uint64_t number);
    // Compresses it on the compactor's thread, under the lock of the hosts file at `hostsPath`.
    void compactLater(HostsHistory history, std::uint64_t number, std::string hostsPath);
    // Waits for the compression under way, if any.
    void finish();

private:
    std::jthread worker_;
};

} // namespace vendrel

#include "core/history/version_compactor.h"

#include "core/hosts/hosts_file_access.h"

#include <exception>

namespace vendrel {

void VersionCompactor::compactNow(const HostsHistory& history, std::uint64_t number)
{
    try {
        history.compact(number);
    } catch (const std::exception&) {
        // The stored version stays: it is complete, only larger.
    }
}

void VersionCompactor::compactLater(HostsHistory history, std::uint64_t number, std::string hostsPath)
{
    finish();
    worker_ = std::jthread([history = std::move(history), number, hostsPath = std::move(hostsPath)] {
        try {
            const platform::FileLock lock = lockHostsFile(hostsPath);
            compactNow(history, number);
        } catch (const std::exception&) {
            // The lock stayed busy: the version stays stored.
        }
    });
}

void VersionCompactor::compactAtFinish(HostsHistory history, std::uint64_t number)
{
    finish();
    pending_.emplace(Pending{std::move(history), number});
}

void VersionCompactor::finish()
{
    if (worker_.joinable())
        worker_.join();
    if (pending_) {
        const Pending pending = std::move(*pending_);
        pending_.reset();
        compactNow(pending.history, pending.number);
    }
}

} // namespace vendrel

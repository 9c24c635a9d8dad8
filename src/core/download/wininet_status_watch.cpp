#include "core/download/wininet_status_watch.h"

#include <mutex>
#include <utility>

namespace vendrel::wininet_status_watch {
namespace {

std::mutex watcherMutex;
Watcher installed;

} // namespace

void install(Watcher watcher)
{
    const std::lock_guard lock(watcherMutex);
    installed = std::move(watcher);
}

void clear() { install(nullptr); }

void report(std::uint32_t status)
{
    const std::lock_guard lock(watcherMutex);
    if (installed)
        installed(status);
}

} // namespace vendrel::wininet_status_watch

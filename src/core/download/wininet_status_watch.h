#pragma once

#include <cstdint>
#include <functional>

// A seam through which tests see the status notifications WinInet gives the
// transfer (INTERNET_STATUS_* codes, on the worker thread). The programs
// never install a watcher.
namespace vendrel::wininet_status_watch {

using Watcher = std::function<void(std::uint32_t status)>;

void install(Watcher watcher);
void clear();

// Hands `status` to the installed watcher, if any.
void report(std::uint32_t status);

} // namespace vendrel::wininet_status_watch

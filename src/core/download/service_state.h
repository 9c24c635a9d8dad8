#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace vendrel {

inline constexpr const char* dnsClientService = "dnscache";
inline constexpr std::uint32_t serviceRunning = 4;

// The state code of a service, 0 when it cannot be read. Never raises.
inline std::uint32_t QueryServiceState(platform::Platform& system, const std::string& machine,
                                       const std::string& service)
{
    return system.queryServiceState(machine, service);
}

// True exactly when the service reports the running state; pending states count as not running.
inline bool IsServiceRunning(platform::Platform& system, const std::string& machine, const std::string& service)
{
    return QueryServiceState(system, machine, service) == serviceRunning;
}

} // namespace vendrel

#include "platform/posix/name_caches.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::posix {
namespace {

struct SystemBus {
    sd_bus* bus = nullptr;
    ~SystemBus() { sd_bus_flush_close_unref(bus); }
};

bool flushResolved()
{
    SystemBus system;
    if (sd_bus_open_system(&system.bus) < 0)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    // Asked first, so that a bus that could start the service does not start it only to flush it.
    const int asked = sd_bus_call_method(system.bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                         "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s",
                                         "org.freedesktop.resolve1");
    if (asked >= 0)
        sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (!owned)
        return false;
    const int flushed = sd_bus_call_method(system.bus, "org.freedesktop.resolve1", "/org/freedesktop/resolve1",
                                           "org.freedesktop.resolve1.Manager", "FlushCaches", &error, nullptr, "");
    sd_bus_error_free(&error);
    return flushed >= 0;
}

// Runs "nscd --invalidate=hosts" from the system's folders; true when it succeeded.
bool invalidateNscdHosts()
{
    std::error_code missing;
    if (!std::filesystem::exists("/var/run/nscd/socket", missing) &&
        !std::filesystem::exists("/run/nscd/socket", missing))
        return false;
    for (const char* program : {"/usr/sbin/nscd", "/sbin/nscd"}) {
        if (::access(program, X_OK) != 0)
            continue;
        const pid_t child = ::fork();
        if (child < 0)
            return false;
        if (child == 0) {
            ::execl(program, program, "--invalidate=hosts", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return false;
}

} // namespace

std::vector<std::string> flushNameCaches()
{
    std::vector<std::string> flushed;
    if (flushResolved())
        flushed.emplace_back("systemd-resolved");
    if (invalidateNscdHosts())
        flushed.emplace_back("nscd");
    return flushed;
}

} // namespace platform::posix

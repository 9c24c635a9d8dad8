#include "platform/posix/logind_reboot.h"

#include <systemd/sd-bus.h>

namespace platform::posix {
namespace {

// The system bus connection, closed when it goes.
struct SystemBus {
    sd_bus* bus = nullptr;
    ~SystemBus() { sd_bus_flush_close_unref(bus); }
};

} // namespace

bool rebootThroughLogind()
{
    SystemBus system;
    if (sd_bus_open_system(&system.bus) < 0)
        return false;
    sd_bus_set_allow_interactive_authorization(system.bus, 1);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int interactive = 1;
    const int result = sd_bus_call_method(system.bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                          "org.freedesktop.login1.Manager", "Reboot", &error, nullptr, "b",
                                          interactive);
    sd_bus_error_free(&error);
    return result >= 0;
}

} // namespace platform::posix

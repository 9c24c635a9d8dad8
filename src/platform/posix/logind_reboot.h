#pragma once

namespace platform::posix {

// Asks logind (org.freedesktop.login1.Manager.Reboot on the system bus) to
// restart the machine. logind stops the services in order, as a forced
// restart shuts the system down, and asks polkit whether this user may
// (a desktop's agent may ask for a password). False when there is no system
// bus or no logind on it, or when logind refuses; the machine then keeps
// running. The bus is the one DBUS_SYSTEM_BUS_ADDRESS names, if set.
bool rebootThroughLogind();

} // namespace platform::posix

#pragma once

#include <windows.h>

#include <functional>

namespace platform::win32 {

// The last step of a restart: ExitWindowsEx's flags and reason in, whether
// the system accepted the request out.
using ExitWindowsCall = std::function<BOOL(UINT flags, DWORD reason)>;

// Enables the shutdown privilege on this process's token and then makes the
// final call with a forced reboot (EWX_REBOOT | EWX_FORCE, reason 0). False,
// without the final call, when the token cannot be opened or the privilege
// is not held; otherwise what the final call answers. On systems outside the
// NT family no privilege is needed. Tests pass a final call that only records.
bool restartWithShutdownPrivilege(const ExitWindowsCall& exitWindows);

// The real final call, ExitWindowsEx.
BOOL exitWindows(UINT flags, DWORD reason);

} // namespace platform::win32

#include "platform/win32/shutdown_restart.h"

#include "platform/win32/unique_handle.h"

namespace platform::win32 {
namespace {

bool isNtFamily()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool enableShutdownPrivilege()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return false;
    const UniqueHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // Success is reported even when the privilege is not held; only the last error tells.
    return ::GetLastError() == ERROR_SUCCESS;
}

} // namespace

bool restartWithShutdownPrivilege(const ExitWindowsCall& exitWindows)
{
    if (isNtFamily() && !enableShutdownPrivilege())
        return false;
    return exitWindows(EWX_REBOOT | EWX_FORCE, 0);
}

BOOL exitWindows(UINT flags, DWORD reason) { return ::ExitWindowsEx(flags, reason); }

} // namespace platform::win32

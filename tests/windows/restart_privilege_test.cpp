// The restart's privilege step on the real process token, with a final call
// that only records: nothing here restarts anything.

#include "platform/win32/shutdown_restart.h"

#include <gtest/gtest.h>

namespace {

using platform::win32::restartWithShutdownPrivilege;

bool shutdownPrivilegeEnabled()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    LUID shutdown{};
    ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown);
    PRIVILEGE_SET wanted{1, PRIVILEGE_SET_ALL_NECESSARY, {{shutdown, 0}}};
    BOOL held = FALSE;
    ::PrivilegeCheck(token, &wanted, &held);
    ::CloseHandle(token);
    return held;
}

TEST(RestartPrivilege, TheShutdownPrivilegeIsEnabledBeforeAForcedReboot)
{
    int calls = 0;
    UINT askedFlags = 0;
    DWORD askedReason = 1;
    const auto recorded = [&](UINT flags, DWORD reason) -> BOOL {
        ++calls;
        askedFlags = flags;
        askedReason = reason;
        EXPECT_TRUE(shutdownPrivilegeEnabled()) << "enabled before the final call";
        return TRUE;
    };
    EXPECT_TRUE(restartWithShutdownPrivilege(recorded));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(askedFlags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
    EXPECT_EQ(askedReason, 0u);
}

TEST(RestartPrivilege, ARefusedRequestIsReported)
{
    EXPECT_FALSE(restartWithShutdownPrivilege([](UINT, DWORD) -> BOOL { return FALSE; }));
}

} // namespace

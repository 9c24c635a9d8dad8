#pragma once

#include <windows.h>

#include <gtest/gtest.h>

// Tests that change files outside their own folders (the root of drive C:)
// run under Wine only, whose drives are a test prefix, never on a real
// Windows system.
inline bool runningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

#define SKIP_UNLESS_UNDER_WINE()                                                                                       \
    if (!runningUnderWine())                                                                                           \
    GTEST_SKIP() << "changes the root of drive C:, which only a Wine prefix may have changed"

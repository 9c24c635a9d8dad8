#include "platform/boot_platform.h"

#include "fake_boot_platform.h"

#include <gtest/gtest.h>

namespace {

TEST(InstanceLock, OneHolderAtATime)
{
    testing_support::FakeBootPlatform machine;
    const std::string folder = machine.drive('C');
    auto first = platform::claimInstanceLock(folder, "PLBFILEVIEWER");
    ASSERT_TRUE(first);
    EXPECT_FALSE(platform::claimInstanceLock(folder, "PLBFILEVIEWER")) << "held by the first";
    EXPECT_TRUE(platform::claimInstanceLock(folder, "OTHER")) << "another name is another lock";
    first.reset();
    EXPECT_TRUE(platform::claimInstanceLock(folder, "PLBFILEVIEWER")) << "released with its holder";
}

TEST(InstanceLock, UnusableFolderDoesNotStopTheProgram)
{
    testing_support::FakeBootPlatform machine;
    const std::string missing = machine.drive('C') + "no/such/folder";
    auto first = platform::claimInstanceLock(missing, "PLBFILEVIEWER");
    EXPECT_TRUE(first);
    EXPECT_TRUE(platform::claimInstanceLock(missing, "PLBFILEVIEWER")) << "unguarded";
}

} // namespace

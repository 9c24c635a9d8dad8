// The service manager query against the services of the running system.

#include "core/download/service_state.h"
#include "platform/platform.h"

#include "wine_only.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Windows runs the RPC service always; Wine starts it when it is first
// needed, so the test starts it itself and waits until it runs.
void startRpcService()
{
    const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_TRUE(manager);
    const SC_HANDLE service = ::OpenServiceA(manager, "RpcSs", SERVICE_START | SERVICE_QUERY_STATUS);
    ASSERT_TRUE(service);
    ::StartServiceA(service, 0, nullptr);
    SERVICE_STATUS status{};
    for (int wait = 0; wait < 100 && ::QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_RUNNING;
         ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
}

TEST(ServiceManager, ARunningServiceIsRunningAndAMissingOrStoppedOneIsNot)
{
    const auto system = platform::createSystemPlatform();
    startRpcService();
    EXPECT_EQ(vendrel::QueryServiceState(*system, "", "RpcSs"), SERVICE_RUNNING);
    EXPECT_TRUE(vendrel::IsServiceRunning(*system, "", "RpcSs"));
    // Wine has no DNS Client service; on Windows it may run or not.
    const std::uint32_t dnsClient = vendrel::QueryServiceState(*system, "", vendrel::dnsClientService);
    EXPECT_EQ(vendrel::IsServiceRunning(*system, "", vendrel::dnsClientService), dnsClient == SERVICE_RUNNING);
    if (runningUnderWine()) {
        EXPECT_EQ(dnsClient, 0u);
    }
    EXPECT_EQ(vendrel::QueryServiceState(*system, "", "no-such-service-here"), 0u);
}

} // namespace

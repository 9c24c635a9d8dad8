// The POSIX restart asks logind over the system bus. The tests point the
// "system bus" at a private dbus-daemon of their own, with a stand-in for
// logind on it, so nothing here can reach the machine's real logind.

#include "platform/posix/logind_reboot.h"

#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A dbus-daemon on a socket in a temporary folder, named as the system bus
// for as long as it lives.
class PrivateBus {
public:
    PrivateBus()
    {
        folder_ = fs::temp_directory_path() / ("logind-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        address_ = "unix:path=" + (folder_ / "bus").string();
        daemon_ = ::fork();
        if (daemon_ == 0) {
            ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile",
                     ("--address=" + address_).c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200 && !fs::exists(folder_ / "bus"); ++i)
            std::this_thread::sleep_for(10ms);
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    }
    ~PrivateBus()
    {
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        if (daemon_ > 0) {
            ::kill(daemon_, SIGTERM);
            ::waitpid(daemon_, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    bool running() const { return daemon_ > 0 && fs::exists(folder_ / "bus"); }
    const std::string& address() const { return address_; }

private:
    fs::path folder_;
    std::string address_;
    pid_t daemon_ = -1;
};

// Stands in for logind: answers Reboot, or refuses it, and records the call.
class FakeLogind {
public:
    FakeLogind(const std::string& address, bool refuses) : refuses_(refuses)
    {
        sd_bus_new(&bus_);
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ = sd_bus_start(bus_) >= 0 && sd_bus_request_name(bus_, "org.freedesktop.login1", 0) >= 0 &&
                 sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                          vtable, this) >= 0;
        if (ready_)
            worker_ = std::jthread([this](std::stop_token stop) {
                while (!stop.stop_requested())
                    if (sd_bus_process(bus_, nullptr) == 0)
                        sd_bus_wait(bus_, 20000);
            });
    }
    ~FakeLogind()
    {
        worker_ = {};
        sd_bus_flush_close_unref(bus_);
    }
    bool ready() const { return ready_; }

    std::atomic<int> calls = 0;
    std::atomic<int> interactive = -1;

private:
    static int reboot(sd_bus_message* message, void* self, sd_bus_error* error)
    {
        auto& fake = *static_cast<FakeLogind*>(self);
        int asked = 0;
        sd_bus_message_read(message, "b", &asked);
        fake.interactive = asked;
        ++fake.calls;
        if (fake.refuses_)
            return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "Not allowed");
        return sd_bus_reply_method_return(message, nullptr);
    }

    static constexpr sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Reboot", "b", "", reboot, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };

    bool refuses_;
    bool ready_ = false;
    sd_bus* bus_ = nullptr;
    std::jthread worker_;
};

TEST(LogindReboot, IsAskedOfLogindInteractivelyAndFailsWhenItRefuses)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
    {
        FakeLogind logind(bus.address(), false);
        ASSERT_TRUE(logind.ready());
        EXPECT_TRUE(platform::posix::rebootThroughLogind());
        EXPECT_EQ(logind.calls, 1);
        EXPECT_EQ(logind.interactive, 1);
    }
    FakeLogind refusing(bus.address(), true);
    ASSERT_TRUE(refusing.ready());
    EXPECT_FALSE(platform::posix::rebootThroughLogind());
    EXPECT_EQ(refusing.calls, 1);
}

TEST(LogindReboot, FailsWithoutLogindOrWithoutABus)
{
    {
        PrivateBus bus;
        ASSERT_TRUE(bus.running());
        EXPECT_FALSE(platform::posix::rebootThroughLogind()) << "nobody owns org.freedesktop.login1";
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vendrel-test-bus", 1);
    EXPECT_FALSE(platform::posix::rebootThroughLogind());
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace

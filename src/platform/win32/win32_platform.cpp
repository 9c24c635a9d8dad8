#include "platform/platform.h"

#include "platform/win32/system_services.h"
#include "platform/win32/win32_files.h"

#include <cstdio>
#include <io.h>

namespace platform {
namespace {

// The Windows answers: the hosts file lives under the system folder (the
// Windows folder on the oldest systems), the program's files beside its
// executable, and the attribute word is the file system's own.
class Win32Platform final : public Platform {
public:
    std::string systemDirectory() override { return win32::systemDirectory(); }
    std::string windowsDirectory() override { return win32::windowsDirectory(); }
    std::string lastErrorText() override { return win32::reason(::GetLastError()); }

    std::string hostsFolder(const std::string& systemDir) override { return systemDir + "\\DRIVERS\\ETC"; }
    std::string legacyHostsPath(const std::string& windowsDir) override { return windowsDir + "\\HOSTS"; }

    std::string programFolder() override { return win32::executableFolder(); }

    std::optional<std::uint16_t> fileAttributes(const std::string& path) override { return win32::attributeWord(path); }

    bool setFileAttributes(const std::string& path, std::uint16_t attributes) override
    {
        return win32::setAttributeWord(path, attributes);
    }

    HostsFileStyle hostsFileStyle() override { return {win32::computerName(), std::nullopt, "\r\n"}; }

    std::vector<std::string> flushNameCaches() override
    {
        if (win32::flushResolverCache())
            return {"the DNS Client"};
        return {};
    }

    void trimWorkingSet() override { win32::trimWorkingSet(); }

    std::uint32_t queryServiceState(const std::string& machine, const std::string& service) override
    {
        return win32::queryServiceState(machine, service);
    }
};

} // namespace

bool standardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

std::optional<std::string> installDailyTask(const std::string& taskName, const std::string& arguments)
{
    return win32::createDailyTask(taskName, win32::executablePath(), arguments);
}

bool graphicalDisplayAvailable() { return true; }

// The Windows heap already hands large blocks back to the system when they
// are freed.
void giveLargeBlocksBack() {}

// Large pages on Windows need a privilege users do not hold: no hint is given.
void adviseLargeBlock(const void*, std::size_t) {}

std::unique_ptr<Platform> createSystemPlatform() { return std::make_unique<Win32Platform>(); }

} // namespace platform

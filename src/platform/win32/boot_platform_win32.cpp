#include "platform/boot_platform.h"

#include "platform/win32/shutdown_restart.h"
#include "platform/win32/system_services.h"
#include "platform/win32/temporary_file.h"
#include "platform/win32/unique_handle.h"

#include <shlwapi.h>

namespace platform {
namespace {

constexpr DWORD pathBufferSize = 260;

// A lock file opened for this process alone: a second open is refused
// until the holder closes it, and it goes with its last handle. An empty
// handle stands for a lock that could not be taken at all.
class ExclusiveFile final : public InstanceLock {
public:
    explicit ExclusiveFile(win32::UniqueHandle file) : file_(std::move(file)) {}

private:
    win32::UniqueHandle file_;
};

std::string temporaryFolder()
{
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string(".");
}

// The Windows answers: the boot files are edited on the real drives with the
// file system's own attributes; the restart is the real forced reboot.
class Win32BootPlatform final : public BootPlatform {
public:
    std::optional<std::string> systemRoot() override
    {
        char expanded[pathBufferSize] = {};
        const DWORD length = ::ExpandEnvironmentStringsA("%SYSTEMROOT%", expanded, pathBufferSize);
        const std::string value = length > 0 && length <= pathBufferSize ? std::string(expanded) : std::string();
        // A variable that is not set stays unexpanded.
        if (value.empty() || value == "%SYSTEMROOT%")
            return std::nullopt;
        return value;
    }

    std::string windowsDirectory() override { return win32::windowsDirectory(); }

    std::string pathRoot(const std::string& path) override
    {
        if (path.size() >= pathBufferSize)
            return {};
        char root[pathBufferSize] = {};
        path.copy(root, path.size());
        if (!::PathStripToRootA(root))
            return {};
        std::string result(root);
        // A network share's root has no separator of its own.
        return result.ends_with('\\') ? result : result + "\\";
    }

    std::optional<std::uint16_t> fileAttributes(const std::string& path) override { return win32::attributeWord(path); }

    bool setFileAttributes(const std::string& path, std::uint16_t attributes) override
    {
        return win32::setAttributeWord(path, attributes);
    }

    bool copyFile(const std::string& from, const std::string& to) override
    {
        return ::CopyFileA(from.c_str(), to.c_str(), FALSE);
    }

    bool IsNtPlatform() override
    {
        OSVERSIONINFOEXA version{};
        version.dwOSVersionInfoSize = sizeof version;
        return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) &&
               version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }

    std::unique_ptr<InstanceLock> claimSingleInstance(const std::string& name) override
    {
        return claimInstanceLock(temporaryFolder(), name);
    }

    bool RestartWindows() override { return win32::restartWithShutdownPrivilege(win32::exitWindows); }
};

} // namespace

std::unique_ptr<InstanceLock> claimInstanceLock(const std::string& folder, const std::string& name)
{
    const std::string path = win32::inFolder(folder, name + ".lock");
    win32::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file && ::GetLastError() == ERROR_SHARING_VIOLATION)
        return nullptr;
    return std::make_unique<ExclusiveFile>(std::move(file));
}

std::unique_ptr<BootPlatform> createSystemBootPlatform() { return std::make_unique<Win32BootPlatform>(); }

} // namespace platform

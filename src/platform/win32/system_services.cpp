#include "platform/win32/system_services.h"

#include "platform/win32/win32_files.h"

#include <winsvc.h>

namespace platform::win32 {
namespace {

// The folder buffers of the system's oldest callers.
constexpr UINT folderBufferSize = 260;

template <typename Lookup>
std::string folderFrom(Lookup lookup)
{
    char buffer[folderBufferSize] = {};
    const UINT length = lookup(buffer, folderBufferSize);
    return length > 0 && length < folderBufferSize ? std::string(buffer, length) : std::string();
}

// Closes a service manager or service handle when it goes.
class ServiceHandle {
public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle()
    {
        if (handle_)
            ::CloseServiceHandle(handle_);
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    SC_HANDLE get() const { return handle_; }

private:
    SC_HANDLE handle_;
};

} // namespace

std::string systemDirectory() { return folderFrom(::GetSystemDirectoryA); }

std::string windowsDirectory() { return folderFrom(::GetWindowsDirectoryA); }

std::string executablePath()
{
    char path[MAX_PATH * 4] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

std::string executableFolder()
{
    const std::string program = executablePath();
    const auto separator = program.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".") : program.substr(0, separator);
}

DWORD attributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

std::optional<std::uint16_t> attributeWord(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return static_cast<std::uint16_t>(attributes);
}

bool setAttributeWord(const std::string& path, std::uint16_t attributes)
{
    return ::SetFileAttributesA(path.c_str(), attributes);
}

std::uint32_t queryServiceState(const std::string& machine, const std::string& service)
{
    const ServiceHandle manager(
        ::OpenSCManagerA(machine.empty() ? nullptr : machine.c_str(), nullptr, SC_MANAGER_CONNECT));
    if (!manager.get())
        return 0;
    const ServiceHandle opened(::OpenServiceA(manager.get(), service.c_str(), SERVICE_QUERY_STATUS));
    if (!opened.get())
        return 0;
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(opened.get(), &status) ? status.dwCurrentState : 0;
}

std::string computerName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    if (!::GetComputerNameExA(ComputerNameDnsHostname, name, &size))
        return {};
    return std::string(name, size);
}

std::optional<std::string> createDailyTask(const std::string& name, const std::string& program,
                                           const std::string& arguments)
{
    // schtasks takes the task's command line as one argument, its own quotes escaped.
    std::string command = "schtasks.exe /Create /F /SC DAILY /ST 03:00 /RU SYSTEM /TN \"" + name + "\" /TR \"\\\"" +
                          program + "\\\" " + arguments + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process))
        return "schtasks.exe could not be started: " + reason(::GetLastError());
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (exitCode != 0)
        return "schtasks.exe could not create the task " + name + " (exit code " + std::to_string(exitCode) +
               "); it needs an administrator's command prompt.";
    return std::nullopt;
}

bool flushResolverCache()
{
    using FlushCache = BOOL(WINAPI*)();
    const HMODULE dnsApi = ::LoadLibraryA("dnsapi.dll");
    const FARPROC found = dnsApi ? ::GetProcAddress(dnsApi, "DnsFlushResolverCache") : nullptr;
    const bool flushed = found && reinterpret_cast<FlushCache>(reinterpret_cast<void*>(found))() != FALSE;
    if (dnsApi)
        ::FreeLibrary(dnsApi);
    return flushed;
}

void trimWorkingSet()
{
    // Looked up by name: the call is missing from the oldest systems.
    using SetWorkingSetSize = BOOL(WINAPI*)(HANDLE, SIZE_T, SIZE_T);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const FARPROC found = kernel ? ::GetProcAddress(kernel, "SetProcessWorkingSetSize") : nullptr;
    if (!found)
        return;
    const auto setSize = reinterpret_cast<SetWorkingSetSize>(reinterpret_cast<void*>(found));
    setSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

} // namespace platform::win32

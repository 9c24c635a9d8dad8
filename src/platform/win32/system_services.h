#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// The Win32 answers the editor's and the boot utility's platforms share.
namespace platform::win32 {

// GetSystemDirectoryA and GetWindowsDirectoryA into buffers of 260
// characters; empty when the call fails or the folder does not fit.
std::string systemDirectory();
std::string windowsDirectory();

// The folder of the running executable, without a trailing separator; its whole path.
std::string executableFolder();
std::string executablePath();

// Runs schtasks.exe to create (or replace) the task `name` that runs
// `program` with `arguments` daily at 03:00 as SYSTEM; why it failed, if it did.
std::optional<std::string> createDailyTask(const std::string& name, const std::string& program,
                                           const std::string& arguments);

// The attribute word of a path (FILE_ATTRIBUTE_* bits, which are the
// platform's attribute bits), or INVALID_FILE_ATTRIBUTES.
DWORD attributesOf(const std::string& path);
// The attribute word of a path, or nothing when it cannot be read; and the setting of it.
std::optional<std::uint16_t> attributeWord(const std::string& path);
bool setAttributeWord(const std::string& path, std::uint16_t attributes);

// The current-state code the service manager of `machine` (empty: this
// computer) reports for `service`; 0 when it cannot be read.
std::uint32_t queryServiceState(const std::string& machine, const std::string& service);

// The machine's own DNS host name; empty when it cannot be read.
std::string computerName();

// Empties the DNS Client's cache (DnsFlushResolverCache of dnsapi.dll,
// looked up by name since it is not in the import libraries); false when
// the call is missing or fails.
bool flushResolverCache();

// Trims the working set of this process when the system has the call for it.
void trimWorkingSet();

} // namespace platform::win32

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Held while a program runs as the only instance of its kind; dropping it
// lets the next instance start.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
};

// Takes the lock named `name` in `folder`, creating the folder's lock file
// when needed. Nothing when another instance already holds it. A lock file
// that cannot be created at all does not stop the program: it then runs
// unguarded and gets a lock that holds nothing.
std::unique_ptr<InstanceLock> claimInstanceLock(const std::string& folder, const std::string& name);

// The operating-system services of the safe-mode boot utility. Tests use a
// fake whose drives are temporary folders and whose restart is only
// recorded; the real implementation is chosen in the program's main() only.
class BootPlatform {
public:
    virtual ~BootPlatform() = default;

    // The SYSTEMROOT environment value; nothing when it is not set.
    virtual std::optional<std::string> systemRoot() = 0;
    // The OS installation directory; empty when it cannot be read.
    virtual std::string windowsDirectory() = 0;
    // The root of `path` (the drive, ending in a separator); empty when the
    // path has no root.
    virtual std::string pathRoot(const std::string& path) = 0;

    // Attribute word of a file (bits as in platform::FileAttribute), or
    // nothing when the file cannot be read.
    virtual std::optional<std::uint16_t> fileAttributes(const std::string& path) = 0;
    // Sets the attribute word; false when the platform refuses.
    virtual bool setFileAttributes(const std::string& path, std::uint16_t attributes) = 0;
    // Copies `from` to `to`, replacing an existing `to`; false when the
    // source cannot be read or the target cannot be written.
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;

    // True on the NT family of systems, whose boot configuration is boot.ini.
    virtual bool IsNtPlatform() = 0;
    // Claims the single-instance lock named after `name`.
    virtual std::unique_ptr<InstanceLock> claimSingleInstance(const std::string& name) = 0;
    // Forces an immediate restart of the machine without asking running
    // programs; true when the system accepted the request.
    virtual bool RestartWindows() = 0;
};

// The real implementation for the operating system the program runs on.
std::unique_ptr<BootPlatform> createSystemBootPlatform();

} // namespace platform

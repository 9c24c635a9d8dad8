#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class PrivilegedWriter;

// File attribute bits as the hosts-file tools understand them.
enum FileAttribute : std::uint16_t {
    ReadOnly = 0x01,
    Hidden = 0x02,
    System = 0x04,
    Directory = 0x10,
};

// What this system's own hosts file holds and how it is written.
struct HostsFileStyle {
    // The machine's own name, as the system reports it; empty when unknown.
    std::string machineName;
    // A Linux distribution's identifiers, the most specific first (the ID and
    // the ID_LIKE words of os-release; empty when unknown); none on Windows,
    // whose default hosts file is the system's sample file.
    std::optional<std::vector<std::string>> distribution;
    // The line break of a new text file.
    std::string lineBreak = "\r\n";
};

// The few operating-system services the programs need. Each OS has one
// implementation; tests use a fake whose folders are temporary directories.
// Programs pick the real implementation in main() and nowhere else.
class Platform {
public:
    virtual ~Platform() = default;

    // The system directory (no trailing separator); empty when it cannot be read.
    virtual std::string systemDirectory() = 0;
    // The OS installation directory; empty when it cannot be read.
    virtual std::string windowsDirectory() = 0;
    // The platform's text for the error that made the last call fail.
    virtual std::string lastErrorText() = 0;

    // Folder that holds the hosts file on the current family of systems,
    // derived from the system directory.
    virtual std::string hostsFolder(const std::string& systemDir) = 0;
    // Path of the hosts file on older systems, derived from the OS directory.
    virtual std::string legacyHostsPath(const std::string& windowsDir) = 0;

    // Folder of the program's own files (backup, whitelist, downloads),
    // created when missing. Never ends in a separator.
    virtual std::string programFolder() = 0;

    // Attribute word of a path, or nothing when the path cannot be read.
    virtual std::optional<std::uint16_t> fileAttributes(const std::string& path) = 0;
    // Sets the attribute word; false when the platform refuses.
    virtual bool setFileAttributes(const std::string& path, std::uint16_t attributes) = 0;

    // The writer of the hosts file at `hostsPath` when this process may not
    // write it itself but the system can, with an administrator's
    // authorisation; none otherwise, and for every other file.
    virtual PrivilegedWriter* privilegedHostsWriter(const std::string& hostsPath);

    // How this system's hosts file is written (see HostsFileStyle).
    virtual HostsFileStyle hostsFileStyle() = 0;

    // Asks the running name caches to drop what they hold, so that a changed
    // hosts file takes effect at once; the names of those that did (none
    // when none runs). Never asks for an authorisation.
    virtual std::vector<std::string> flushNameCaches() = 0;

    // Gives unused heap pages back to the system.
    virtual void trimWorkingSet() = 0;

    // The current-state code the service manager of `machine` (empty: this
    // computer) reports for a service; 4 means running, 0 that the state
    // cannot be read or the service does not exist.
    virtual std::uint32_t queryServiceState(const std::string& machine, const std::string& service) = 0;

    bool fileExists(const std::string& path);
    bool directoryExists(const std::string& path);
};

// Joins a folder and a file name with the platform's separator (on Windows,
// the one the folder itself already uses, when it has one).
std::string joinPath(const std::string& folder, const std::string& name);

// From now on every large block (a file's text, the rows of a million lines)
// goes back to the system when it is freed, rather than staying in the heap
// for later blocks: one step's buffers then never add to the next step's,
// and the peak memory is what is alive at once. Called first thing in main().
void giveLargeBlocksBack();

// Tells the system that the block [data, data + size), large and used all
// over, may be backed by large pages: it then takes far fewer page faults
// and address-translation misses. Only a hint; nothing happens where the
// system has no such pages.
void adviseLargeBlock(const void* data, std::size_t size);

// Registers a task that runs this very program daily with `arguments` as
// the system's own account, under `taskName`, replacing a task of that
// name: Windows' task scheduler. Returns why it could not; on POSIX systems
// always, saying which timer of the system runs it instead.
std::optional<std::string> installDailyTask(const std::string& taskName, const std::string& arguments);

// Whether the process's standard error goes to a terminal (not a file or a pipe).
bool standardErrorIsTerminal();

// Whether a window can be shown at all: on POSIX systems a display server
// must be named (or a toolkit platform chosen); Windows always has a desktop.
bool graphicalDisplayAvailable();

// The real implementation for the operating system the program runs on.
std::unique_ptr<Platform> createSystemPlatform();

} // namespace platform

#include "platform/platform.h"

#include "platform/posix/name_caches.h"
#include "platform/posix/os_release.h"
#include "platform/posix/pkexec_writer.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr mode_t anyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

// POSIX answers: /etc holds the hosts file, the program's files live in the
// user's XDG data folder, and only the read-only bit has a meaning.
class PosixPlatform final : public Platform {
public:
    std::string systemDirectory() override { return "/etc"; }
    std::string windowsDirectory() override { return "/etc"; }
    std::string lastErrorText() override { return std::strerror(errno); }

    std::string hostsFolder(const std::string& systemDir) override { return systemDir; }
    std::string legacyHostsPath(const std::string& windowsDir) override { return joinPath(windowsDir, "HOSTS"); }

    std::string programFolder() override
    {
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        const std::string base = (dataHome && *dataHome) ? std::string(dataHome) : homeFolder() + "/.local/share";
        const std::string folder = base + "/vendrel";
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        return folder;
    }

    std::optional<std::uint16_t> fileAttributes(const std::string& path) override
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return std::nullopt;
        std::uint16_t attributes = 0;
        if (S_ISDIR(info.st_mode))
            attributes |= Directory;
        else if ((info.st_mode & anyWriteBit) == 0 || ::access(path.c_str(), W_OK) != 0)
            attributes |= ReadOnly;
        return attributes;
    }

    bool setFileAttributes(const std::string& path, std::uint16_t attributes) override
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return false;
        const mode_t mode = info.st_mode & 07777;
        const mode_t wanted = (attributes & ReadOnly) ? (mode & ~anyWriteBit) : (mode | S_IWUSR);
        return wanted == mode || ::chmod(path.c_str(), wanted) == 0;
    }

    // Only the system hosts file, and only while this process may not write it.
    PrivilegedWriter* privilegedHostsWriter(const std::string& hostsPath) override
    {
        std::error_code error;
        const bool systemHosts = std::filesystem::equivalent(hostsPath, systemHostsFile, error);
        if (!systemHosts || ::access(hostsPath.c_str(), W_OK) == 0)
            return nullptr;
        if (!writerLookedFor_) {
            writer_ = posix::findPkexecHostsWriter();
            writerLookedFor_ = true;
        }
        return writer_.get();
    }

    HostsFileStyle hostsFileStyle() override
    {
        char name[256] = {};
        const bool named = ::gethostname(name, sizeof name - 1) == 0;
        return {named ? name : "", posix::distributionIdentifiers(), "\n"};
    }

    std::vector<std::string> flushNameCaches() override { return posix::flushNameCaches(); }

    void trimWorkingSet() override { malloc_trim(0); }

    // A POSIX system has no DNS Client service to ask about: nothing runs there.
    std::uint32_t queryServiceState(const std::string&, const std::string&) override { return 0; }

private:
    static constexpr const char* systemHostsFile = "/etc/hosts";
    std::unique_ptr<posix::PkexecHostsWriter> writer_;
    bool writerLookedFor_ = false;
};

} // namespace

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::optional<std::string> installDailyTask(const std::string&, const std::string&)
{
    return "Here systemd runs the daily update: systemctl enable --now vendrel-update.timer (as root) starts the "
           "timer that the package installs.";
}

namespace {

bool hasEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool graphicalDisplayAvailable()
{
    return hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY") || hasEnvironment("QT_QPA_PLATFORM");
}

void giveLargeBlocksBack()
{
    // A fixed threshold also ends glibc's raising of it after each large free.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

void adviseLargeBlock(const void* data, std::size_t size)
{
    // Only whole pages inside the block may be advised.
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + pageSize - 1) & ~(pageSize - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(pageSize - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

std::unique_ptr<Platform> createSystemPlatform() { return std::make_unique<PosixPlatform>(); }

} // namespace platform

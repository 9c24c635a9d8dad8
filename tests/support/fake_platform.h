#pragma once

#include "platform/platform.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// A platform whose folders live in a fresh temporary directory, removed again
// with the object. The system folder holds the hosts folder (drivers/etc)
// unless the test asks for an older system; hidden and system bits are kept
// in memory where a test can set them; read-only is the file's write bits.
class FakePlatform final : public platform::Platform {
public:
    explicit FakePlatform(bool hostsFolderExists = true);
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    std::string systemDirectory() override;
    std::string windowsDirectory() override;
    std::string lastErrorText() override { return lastError_; }
    std::string hostsFolder(const std::string& systemDir) override;
    std::string legacyHostsPath(const std::string& windowsDir) override;
    std::string programFolder() override { return programFolder_; }
    const std::string& programFolderPath() const { return programFolder_; }
    std::optional<std::uint16_t> fileAttributes(const std::string& path) override;
    bool setFileAttributes(const std::string& path, std::uint16_t attributes) override;
    platform::HostsFileStyle hostsFileStyle() override { return style; }
    void trimWorkingSet() override { ++trimCalls; }
    std::vector<std::string> flushNameCaches() override
    {
        ++nameCacheFlushes;
        return runningNameCaches;
    }
    std::uint32_t queryServiceState(const std::string& machine, const std::string& service) override;
    // `privilegedWriter`, for the fake's hosts file while it is read-only.
    platform::PrivilegedWriter* privilegedHostsWriter(const std::string& hostsPath) override;

    const std::string& root() const { return root_; }
    // The hosts file the editor opens on this platform.
    std::string hostsPath() const;
    // Writes a file (creating folders); returns its path.
    std::string writeFile(const std::string& path, const std::string& bytes) const;
    static std::string readFile(const std::string& path);

    // Sets attribute bits the way a user of the OS could: hidden and system
    // are remembered, read-only removes or adds write permission.
    void setAttributesDirectly(const std::string& path, std::uint16_t attributes);

    // Makes the system folder unreadable, as a failing platform call would.
    bool failSystemDirectory = false;
    // Makes every attribute change fail, as missing rights would.
    bool refuseAttributeChanges = false;
    // Makes every attribute change report success and change nothing, as
    // chmod does on a file another user owns whose write bit is already set.
    bool attributeChangesHaveNoEffect = false;
    int trimCalls = 0;
    // The name caches a flush reports, and how many flushes were asked for.
    std::vector<std::string> runningNameCaches;
    int nameCacheFlushes = 0;
    // The hosts file style it reports: a Windows system's unless a test sets another.
    platform::HostsFileStyle style;
    // State codes the fake service manager reports, by service name.
    std::map<std::string, std::uint32_t> serviceStates;
    std::vector<std::string> serviceQueries;
    int attributeChanges = 0;
    // What writes the hosts file with administrator rights; none by default.
    platform::PrivilegedWriter* privilegedWriter = nullptr;

private:
    std::string root_;
    std::string systemDir_;
    std::string windowsDir_;
    std::string programFolder_;
    std::string lastError_;
    std::map<std::string, std::uint16_t> hiddenAndSystem_;
};

// The names of the entries of a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder);

} // namespace testing_support

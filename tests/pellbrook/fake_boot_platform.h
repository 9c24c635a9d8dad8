#pragma once

#include "fake_platform.h"
#include "platform/boot_platform.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A machine whose drives are folders of a temporary directory ("C", "D",
// ...), with attribute bits a test can set, a single-instance lock in that
// directory, and a restart that is only recorded. Copies and the restart are
// logged in order, named relative to the temporary directory.
class FakeBootPlatform final : public platform::BootPlatform {
public:
    FakeBootPlatform();

    std::optional<std::string> systemRoot() override { return systemRootValue; }
    std::string windowsDirectory() override { return windowsDirectoryValue; }
    std::string pathRoot(const std::string& path) override;
    std::optional<std::uint16_t> fileAttributes(const std::string& path) override;
    bool setFileAttributes(const std::string& path, std::uint16_t attributes) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool IsNtPlatform() override { return ntPlatform; }
    std::unique_ptr<platform::InstanceLock> claimSingleInstance(const std::string& name) override;
    bool RestartWindows() override;

    // The root folder of a drive, ending in "/".
    std::string drive(char letter) const;
    std::string bootIni() const { return drive('C') + "boot.ini"; }
    std::string msdosSys() const { return drive('C') + "msdos.sys"; }

    std::string writeFile(const std::string& path, const std::string& bytes) const;
    static std::string readFile(const std::string& path) { return FakePlatform::readFile(path); }
    // Sets read-only, hidden and system the way a user of the OS could.
    void setAttributesDirectly(const std::string& path, std::uint16_t attributes);
    // Makes every later attribute change fail, as missing rights would.
    void refuseAttributeChanges();

    std::optional<std::string> systemRootValue;
    std::string windowsDirectoryValue;
    bool ntPlatform = true;
    bool restartAccepted = true;
    // Runs when the restart is asked for, to look at the disk at that moment.
    std::function<void()> whenRestartRequested;
    // "copy FROM -> TO" for every copy made, "restart" for every restart asked.
    std::vector<std::string> events;
    int restartRequests = 0;

private:
    std::string relative(const std::string& path) const;

    FakePlatform files_;
};

} // namespace testing_support

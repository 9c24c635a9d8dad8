#include "fake_boot_platform.h"

#include "platform/atomic_file.h"

#include <filesystem>

namespace testing_support {

FakeBootPlatform::FakeBootPlatform()
{
    std::filesystem::create_directories(drive('C') + "WINDOWS");
    std::filesystem::create_directories(drive('D'));
    systemRootValue = drive('C') + "WINDOWS";
    windowsDirectoryValue = drive('C') + "WINDOWS";
}

std::string FakeBootPlatform::drive(char letter) const { return files_.root() + "/" + letter + "/"; }

std::string FakeBootPlatform::pathRoot(const std::string& path)
{
    const std::string top = files_.root() + "/";
    if (path.size() <= top.size() || path.compare(0, top.size(), top) != 0)
        return {};
    const std::size_t slash = path.find('/', top.size());
    if (slash == top.size())
        return {};
    return path.substr(0, slash) + "/";
}

std::optional<std::uint16_t> FakeBootPlatform::fileAttributes(const std::string& path)
{
    return files_.fileAttributes(path);
}

bool FakeBootPlatform::setFileAttributes(const std::string& path, std::uint16_t attributes)
{
    return files_.setFileAttributes(path, attributes);
}

bool FakeBootPlatform::copyFile(const std::string& from, const std::string& to)
{
    events.push_back("copy " + relative(from) + " -> " + relative(to));
    if (!std::filesystem::is_regular_file(from))
        return false;
    try {
        platform::writeFileAtomically(to, readFile(from));
    } catch (const platform::FileError&) {
        return false;
    }
    return true;
}

std::unique_ptr<platform::InstanceLock> FakeBootPlatform::claimSingleInstance(const std::string& name)
{
    return platform::claimInstanceLock(files_.root(), name);
}

bool FakeBootPlatform::RestartWindows()
{
    events.push_back("restart");
    ++restartRequests;
    if (whenRestartRequested)
        whenRestartRequested();
    return restartAccepted;
}

std::string FakeBootPlatform::writeFile(const std::string& path, const std::string& bytes) const
{
    return files_.writeFile(path, bytes);
}

void FakeBootPlatform::refuseAttributeChanges() { files_.refuseAttributeChanges = true; }

void FakeBootPlatform::setAttributesDirectly(const std::string& path, std::uint16_t attributes)
{
    files_.setAttributesDirectly(path, attributes);
}

std::string FakeBootPlatform::relative(const std::string& path) const
{
    const std::string top = files_.root() + "/";
    return path.compare(0, top.size(), top) == 0 ? path.substr(top.size()) : path;
}

} // namespace testing_support

#include "fake_platform.h"

#include "temporary_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {

FakePlatform::FakePlatform(bool hostsFolderExists)
{
    root_ = createTemporaryFolder("vendrel-test-");
    systemDir_ = root_ + "/system";
    windowsDir_ = root_ + "/windows";
    programFolder_ = root_ + "/program";
    fs::create_directories(systemDir_);
    fs::create_directories(windowsDir_);
    fs::create_directories(programFolder_);
    if (hostsFolderExists)
        fs::create_directories(hostsFolder(systemDir_));
}

FakePlatform::~FakePlatform()
{
    std::error_code ignored;
    // Read-only files and folders must be writable again before removal.
    for (auto entry = fs::recursive_directory_iterator(root_, ignored); entry != fs::recursive_directory_iterator();
         entry.increment(ignored))
        fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

std::string FakePlatform::systemDirectory()
{
    if (failSystemDirectory) {
        lastError_ = "The system cannot find the path specified.";
        return {};
    }
    return systemDir_;
}

std::string FakePlatform::windowsDirectory() { return windowsDir_; }

std::string FakePlatform::hostsFolder(const std::string& systemDir) { return systemDir + "/drivers/etc"; }

std::string FakePlatform::legacyHostsPath(const std::string& windowsDir) { return windowsDir + "/HOSTS"; }

std::string FakePlatform::hostsPath() const { return systemDir_ + "/drivers/etc/hosts"; }

std::optional<std::uint16_t> FakePlatform::fileAttributes(const std::string& path)
{
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error || !fs::exists(status))
        return std::nullopt;
    std::uint16_t attributes = 0;
    if (fs::is_directory(status))
        attributes |= platform::Directory;
    else if ((status.permissions() & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
             fs::perms::none)
        attributes |= platform::ReadOnly;
    if (const auto found = hiddenAndSystem_.find(path); found != hiddenAndSystem_.end())
        attributes |= found->second;
    return attributes;
}

void FakePlatform::setAttributesDirectly(const std::string& path, std::uint16_t attributes)
{
    hiddenAndSystem_[path] = attributes & (platform::Hidden | platform::System);
    if (attributes & platform::ReadOnly)
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    else
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

bool FakePlatform::setFileAttributes(const std::string& path, std::uint16_t attributes)
{
    if (refuseAttributeChanges || !fs::exists(path))
        return false;
    if (attributeChangesHaveNoEffect)
        return true;
    ++attributeChanges;
    setAttributesDirectly(path, attributes);
    return true;
}

platform::PrivilegedWriter* FakePlatform::privilegedHostsWriter(const std::string& path)
{
    const auto attributes = fileAttributes(path);
    const bool readOnly = attributes && (*attributes & platform::ReadOnly);
    return path == hostsPath() && readOnly ? privilegedWriter : nullptr;
}

std::uint32_t FakePlatform::queryServiceState(const std::string& machine, const std::string& service)
{
    serviceQueries.push_back(machine + "/" + service);
    const auto found = serviceStates.find(service);
    return found == serviceStates.end() ? 0 : found->second;
}

std::string FakePlatform::writeFile(const std::string& path, const std::string& bytes) const
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return path;
}

std::string FakePlatform::readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testing_support

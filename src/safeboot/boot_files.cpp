#include "safeboot/boot_files.h"

#include "platform/platform.h"
#include "safeboot/profile_file.h"

#include <optional>

namespace safeboot {
namespace {

constexpr std::string_view bootLoaderSection = "boot loader";
constexpr std::string_view systemsSection = "operating systems";
constexpr std::string_view optionsSection = "Options";
// The key of msdos.sys's Options that forces Safe Mode at the next start.
constexpr std::string_view safeModeKey = "BootSafe";
constexpr std::string_view networkKey = "Network";

std::string atRootOf(platform::BootPlatform& system, const std::string& folder, const std::string& name)
{
    const std::string root = system.pathRoot(folder);
    return root.empty() ? std::string() : root + name;
}

std::optional<std::string_view> switchFor(SafeBootMode mode)
{
    switch (mode) {
    case SafeBootMode::Minimal:
        return "/safeboot:minimal";
    case SafeBootMode::Network:
        return "/safeboot:network";
    case SafeBootMode::DsRepair:
        return "/safeboot:dsrepair";
    }
    return std::nullopt;
}

// Clears read-only and system so that the file can be copied over and
// written; every other attribute stays. The outcome shows in the steps after.
void unlock(platform::BootPlatform& system, const std::string& path)
{
    if (const auto attributes = system.fileAttributes(path))
        system.setFileAttributes(path, *attributes & ~(platform::ReadOnly | platform::System));
}

// A missing boot file is never made: one made from nothing would hold only
// the change, with no backup that a normal start could put back.
bool isBootFile(platform::BootPlatform& system, const std::string& path)
{
    if (path.empty())
        return false;
    const auto attributes = system.fileAttributes(path);
    return attributes && (*attributes & platform::Directory) == 0;
}

// Unlocks the boot file and makes its backup. A failed backup does not stop
// the change that follows.
void backUp(platform::BootPlatform& system, const std::string& path)
{
    unlock(system, path);
    system.copyFile(path, backupPathOf(path));
}

// With no boot file location there is nothing to put back.
bool restoreFromBackup(platform::BootPlatform& system, const std::string& path)
{
    if (path.empty())
        return true;
    unlock(system, path);
    const std::string backup = backupPathOf(path);
    return !system.fileAttributes(backup) || system.copyFile(backup, path);
}

} // namespace

std::string BootIniPath(platform::BootPlatform& system)
{
    const auto root = system.systemRoot();
    return atRootOf(system, root && !root->empty() ? *root : system.windowsDirectory(), "boot.ini");
}

std::string MsdosSysPath(platform::BootPlatform& system)
{
    return atRootOf(system, system.windowsDirectory(), "msdos.sys");
}

std::string backupPathOf(const std::string& bootFile) { return bootFile + ".PLB"; }

bool AddBootSwitch(const std::string& bootIni, std::string_view switchText)
{
    auto file = ProfileFile::open(bootIni);
    if (!file)
        return false;
    const auto entryKey = file->value(bootLoaderSection, "default");
    if (!entryKey || entryKey->empty())
        return false;
    // The entry is extended as it stands, so that quotes around it stay.
    const auto entry = file->rawValue(systemsSection, *entryKey);
    if (!entry)
        return false;
    return file->setValue(systemsSection, *entryKey, *entry + " " + std::string(switchText)) && file->save();
}

bool SetSafeBootNt(platform::BootPlatform& system, SafeBootMode mode)
{
    const std::string path = BootIniPath(system);
    if (!isBootFile(system, path))
        return false;
    backUp(system, path);
    const auto switchText = switchFor(mode);
    return !switchText || AddBootSwitch(path, *switchText);
}

bool RestoreBootIni(platform::BootPlatform& system) { return restoreFromBackup(system, BootIniPath(system)); }

bool SetSafeBoot9x(platform::BootPlatform& system, SafeBootMode mode)
{
    const std::string path = MsdosSysPath(system);
    if (!isBootFile(system, path))
        return false;
    backUp(system, path);
    auto file = ProfileFile::open(path);
    if (!file || !file->setValue(optionsSection, safeModeKey, "1"))
        return false;
    if (mode == SafeBootMode::Network && !file->setValue(optionsSection, networkKey, "1"))
        return false;
    return file->save();
}

bool RestoreMsdosSys(platform::BootPlatform& system) { return restoreFromBackup(system, MsdosSysPath(system)); }

} // namespace safeboot

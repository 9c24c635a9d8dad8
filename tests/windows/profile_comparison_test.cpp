// The boot utility's own private-profile reader and writer beside the
// system's GetPrivateProfileStringA and WritePrivateProfileStringA, on real
// boot.ini, msdos.sys and SYSTEM.INI files. They must agree on what the
// utility relies on: reading a key's value, replacing one value with every
// other key kept, and adding a missing key. Everything else they answer
// differently is printed as "INI difference" lines.

#include "safeboot/profile_text.h"

#include "temporary_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using safeboot::profileString;
using safeboot::profileValue;
using safeboot::withProfileValue;

constexpr const char* missing = "\x01missing";

std::vector<fs::path> iniFiles()
{
    std::vector<fs::path> files;
    std::stringstream folders(VENDREL_INI_FOLDERS);
    for (std::string folder; std::getline(folders, folder, '|');)
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().extension() != ".md")
                files.push_back(entry.path());
    return files;
}

std::string read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A NUL-separated list as the enumerating calls return it.
std::vector<std::string> listOf(const std::vector<char>& buffer, DWORD length)
{
    std::vector<std::string> items;
    for (std::size_t at = 0; at < length && buffer[at];) {
        items.emplace_back(buffer.data() + at);
        at += items.back().size() + 1;
    }
    return items;
}

class SystemProfile {
public:
    explicit SystemProfile(std::string path) : path_(std::move(path)) {}

    std::vector<std::string> sections() const
    {
        std::vector<char> buffer(65536);
        return listOf(buffer, ::GetPrivateProfileSectionNamesA(buffer.data(), 65536, path_.c_str()));
    }
    std::vector<std::string> keys(const std::string& section) const
    {
        std::vector<char> buffer(65536);
        return listOf(buffer,
                      ::GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), 65536, path_.c_str()));
    }
    std::optional<std::string> value(const std::string& section, const std::string& key) const
    {
        std::vector<char> buffer(65536);
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), missing, buffer.data(), 65536, path_.c_str());
        const std::string value = buffer.data();
        return value == missing ? std::nullopt : std::optional(value);
    }
    bool write(const std::string& section, const std::string& key, const std::string& value) const
    {
        return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string shown(const std::optional<std::string>& value) { return value ? "\"" + *value + "\"" : "(none)"; }

class ProfileComparison : public testing::Test {
protected:
    void TearDown() override
    {
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr); // drops the system's cached files
        fs::remove_all(folder);
    }
    // A copy under a name of its own: the system caches what it has read.
    SystemProfile copyOf(const fs::path& file, const std::string& text)
    {
        const std::string path = folder + "\\" + std::to_string(++copies) + "-" + file.filename().string();
        std::ofstream(path, std::ios::binary) << text;
        return SystemProfile(path);
    }
    static void difference(const fs::path& file, const std::string& what)
    {
        std::cout << "INI difference: " << file.filename().string() << ": " << what << "\n";
    }

    std::string folder = testing_support::createTemporaryFolder("vendrel-ini-");
    int copies = 0;
};

TEST_F(ProfileComparison, EveryKeyTheSystemFindsReadsTheSame)
{
    const auto files = iniFiles();
    ASSERT_GE(files.size(), 6u);
    for (const fs::path& file : files) {
        const std::string text = read(file);
        const SystemProfile system = copyOf(file, text);
        for (const std::string& section : system.sections())
            for (const std::string& key : system.keys(section)) {
                const auto ours = profileString(text, section, key);
                const auto theirs = system.value(section, key);
                if (ours != theirs)
                    difference(file,
                               "[" + section + "] " + key + ": ours " + shown(ours) + ", system's " + shown(theirs));
            }
    }
}

// What the boot utility reads: "default" in [boot loader], then the entry it names.
TEST_F(ProfileComparison, TheDefaultEntryOfEveryBootIniReadsTheSame)
{
    for (const fs::path& file : iniFiles()) {
        if (!file.filename().string().ends_with("boot.ini"))
            continue;
        const std::string text = read(file);
        const SystemProfile system = copyOf(file, text);
        const auto entryKey = profileString(text, "boot loader", "default");
        ASSERT_TRUE(entryKey) << file;
        EXPECT_EQ(entryKey, system.value("boot loader", "default")) << file;
        EXPECT_EQ(profileString(text, "operating systems", *entryKey), system.value("operating systems", *entryKey))
            << file;
    }
}

// A value replaced in place, or a key added, reads back the same through
// both readers from either writer's file, and every other key is kept.
TEST_F(ProfileComparison, ChangedAndAddedKeysReadBackTheSameFromBothWriters)
{
    struct Change {
        std::string section, key, value;
    };
    for (const fs::path& file : iniFiles()) {
        const std::string text = read(file);
        std::vector<Change> changes = {{"Options", "BootSafe", "1"}, {"Vendrel test", "Added", "yes"}};
        if (const auto entryKey = profileString(text, "boot loader", "default"))
            if (const auto entry = profileValue(text, "operating systems", *entryKey))
                changes.push_back({"operating systems", *entryKey, *entry + " /safeboot:minimal"});
        for (const Change& change : changes) {
            const std::string ours = withProfileValue(text, change.section, change.key, change.value);
            const SystemProfile before = copyOf(file, text);
            const SystemProfile oursRead = copyOf(file, ours);
            const SystemProfile theirs = copyOf(file, text);
            ASSERT_TRUE(theirs.write(change.section, change.key, change.value)) << file;
            ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, theirs.path().c_str());
            const std::string theirText = read(theirs.path());
            const std::string where = "[" + change.section + "] " + change.key;
            EXPECT_EQ(profileValue(theirText, change.section, change.key), change.value) << file << " " << where;
            EXPECT_EQ(oursRead.value(change.section, change.key), theirs.value(change.section, change.key))
                << file << " " << where;
            for (const std::string& section : before.sections())
                for (const std::string& key : before.keys(section))
                    if (section != change.section || key != change.key) {
                        EXPECT_EQ(oursRead.value(section, key), theirs.value(section, key))
                            << file << " [" << section << "] " << key;
                    }
            if (ours != theirText)
                difference(file, "writing " + where + " changes other bytes: ours " + std::to_string(ours.size()) +
                                     " bytes, system's " + std::to_string(theirText.size()) + " bytes");
        }
    }
}

// The rules of profile_text.h beside the system's reading of the same text.
TEST_F(ProfileComparison, TheReadingRulesBesideTheSystems)
{
    struct Probe {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
    };
    const std::vector<Probe> probes = {
        {"names ignore case", "[Boot Loader]\r\nDefault=x\r\n", "boot loader", "DEFAULT"},
        {"blanks around names and values", "[ boot loader ]\r\n  timeout =\t30 \r\n", "boot loader", "timeout"},
        {"a lone CR ends a line", "[a]\rk=1\rj=2", "a", "j"},
        {"a commented key", "[a]\r\n;k=1\r\nk=2\r\n", "a", "k"},
        {"the first of duplicate keys", "[a]\r\nk=1\r\nk=2\r\n", "a", "k"},
        {"quotes around the value", "[a]\r\nk=\"Windows XP\"\r\n", "a", "k"},
        {"quotes only at the start", "[a]\r\nk=\"Windows XP\" /fastdetect\r\n", "a", "k"},
        {"an empty value", "[a]\r\nk=\r\n", "a", "k"},
        {"a key before any section", "k=1\r\n[a]\r\n", "a", "k"},
        {"a second section of the same name", "[a]\r\nx=1\r\n[A]\r\nk=2\r\n", "a", "k"},
        {"a section line with text after ]", "[a] ; note\r\nk=1\r\n", "a", "k"},
        {"a long value", "[a]\r\nk=" + std::string(5000, 'v') + "\r\n", "a", "k"},
    };
    for (const Probe& probe : probes) {
        const SystemProfile system = copyOf("probe.ini", probe.text);
        const auto ours = profileString(probe.text, probe.section, probe.key);
        const auto theirs = system.value(probe.section, probe.key);
        if (ours != theirs)
            difference("probe.ini", std::string(probe.name) + ": ours " + shown(ours).substr(0, 60) + ", system's " +
                                        shown(theirs).substr(0, 60) + " (" +
                                        std::to_string(theirs ? theirs->size() : 0) + " bytes)");
    }
    // What the utility relies on agrees in every one of them but the long value.
    const SystemProfile quoted = copyOf("probe.ini", "[a]\r\nk=\"Windows XP\" /fastdetect\r\n");
    EXPECT_EQ(quoted.value("a", "k"), "\"Windows XP\" /fastdetect");
}

} // namespace

#include "core/hosts/default_hosts.h"
#include "core/session/hosts_commands.h"

#include "fake_platform.h"
#include "session_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// The default hosts files of six distributions, alone and with a published
// block list of 100,000 entries appended, through every whole-file command:
// the lines the system resolves its own names with survive, and the C
// library still resolves localhost and the machine's name as before.

namespace {

using testing_support::FakePlatform;

struct Distribution {
    const char* name;
    // Its system lines, as the fixture holds them.
    std::vector<std::string> systemLines;
};

const std::vector<Distribution> distributions = {
    {"debian",
     {"127.0.1.1\tmyhost", "::1     localhost ip6-localhost ip6-loopback", "ff02::1 ip6-allnodes",
      "ff02::2 ip6-allrouters"}},
    {"ubuntu",
     {"127.0.1.1 myhost", "::1     ip6-localhost ip6-loopback", "fe00::0 ip6-localnet", "ff00::0 ip6-mcastprefix",
      "ff02::1 ip6-allnodes", "ff02::2 ip6-allrouters"}},
    {"fedora",
     {"127.0.0.1   localhost localhost.localdomain localhost4 localhost4.localdomain4",
      "::1         localhost localhost.localdomain localhost6 localhost6.localdomain6"}},
    {"arch", {"::1              localhost", "127.0.1.1        myhost"}},
    {"alpine", {"127.0.0.1\tlocalhost localhost.localdomain", "::1\t\tlocalhost localhost.localdomain"}},
    {"opensuse",
     {"::1             localhost ipv6-localhost ipv6-loopback", "fe00::0         ipv6-localnet",
      "ff00::0         ipv6-mcastprefix", "ff02::1         ipv6-allnodes", "ff02::2         ipv6-allrouters",
      "ff02::3         ipv6-allhosts"}},
};

std::string fixture(const std::string& name)
{
    return FakePlatform::readFile(std::string(VENDREL_TEST_DATA) + "/distributions/" + name + ".hosts");
}

// A block list as the big published ones begin, with their own copies of the
// system lines (one with a TAB where the distributions have blanks), then
// 100,000 entries, every other one under each blocking address.
const std::string& blockList()
{
    static const std::string list = [] {
        std::string text = "# Title: a published block list\n127.0.0.1 localhost\n127.0.0.1 localhost.localdomain\n"
                           "255.255.255.255 broadcasthost\n::1 localhost\nfe80::1%lo0 localhost\n"
                           "ff00::0 ip6-mcastprefix\nff02::1\tip6-allnodes\nff02::2 ip6-allrouters\n0.0.0.0 0.0.0.0\n";
        for (int entry = 0; entry < 100000; ++entry)
            text += (entry % 2 ? "0.0.0.0 ad" : "127.0.0.1 ad") + std::to_string(entry) + ".example\n";
        return text;
    }();
    return list;
}

std::string collapsedBlanks(std::string_view line)
{
    std::istringstream words{std::string(line)};
    std::string collapsed;
    for (std::string word; words >> word;)
        collapsed += (collapsed.empty() ? "" : " ") + word;
    return collapsed;
}

// How the editor's list writes a line: its first word, a TAB, the rest.
std::string listForm(const std::string& line)
{
    const std::string collapsedStart = collapsedBlanks(line.substr(0, line.find_first_of(" \t")));
    const std::size_t rest = line.find_first_not_of(" \t", line.find_first_of(" \t"));
    return collapsedStart + "\t" + line.substr(rest);
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// How a command writes the system lines it keeps: as the file had them, as
// the editor's list writes every line, or (taking another file's place) as
// the file or the other file has them, which may differ in blanks.
enum class Written { AsInTheFile, AsTheListWritesIt, AsEitherFileHasThem };

struct Command {
    const char* name;
    Written written;
    bool sorts;
    // It brings in the block list's lines, and with them its own localhost lines.
    bool bringsInTheList;
    std::function<vendrel::PlannedChange(vendrel::HostsDocument&, const std::string& folder)> plan;
};

const std::vector<Command> commands = {
    {"Sort File", Written::AsInTheFile, true, false,
     [](vendrel::HostsDocument& d, const std::string&) { return vendrel::planSort(d); }},
    {"sort from the file's text", Written::AsInTheFile, true, false,
     [](vendrel::HostsDocument& d, const std::string&) { return vendrel::planSortFile(d); }},
    {"Merge File", Written::AsInTheFile, true, true,
     [](vendrel::HostsDocument& d, const std::string& folder) { return vendrel::planMerge(d, folder + "/list"); }},
    {"Append File", Written::AsInTheFile, false, true,
     [](vendrel::HostsDocument& d, const std::string& folder) { return vendrel::planAppend(d, folder + "/list"); }},
    {"Replace File", Written::AsEitherFileHasThem, false, true,
     [](vendrel::HostsDocument& d, const std::string& folder) { return vendrel::planReplace(d, folder + "/list"); }},
    {"Remove All Blocking Entries", Written::AsInTheFile, false, false,
     [](vendrel::HostsDocument& d, const std::string&) { return vendrel::planRemoveBlocking(d); }},
    {"Restore Backup", Written::AsInTheFile, false, false,
     [](vendrel::HostsDocument& d, const std::string& folder) {
         return vendrel::planRestoreBackup(d, folder + "/backup");
     }},
    {"Swap localhosts", Written::AsTheListWritesIt, false, false,
     [](vendrel::HostsDocument& d, const std::string&) { return vendrel::planSwap(d); }},
    {"Remove Whitelist Items", Written::AsTheListWritesIt, false, false,
     [](vendrel::HostsDocument& d, const std::string& folder) {
         return vendrel::planRemoveWhitelisted(d, folder + "/whitelist");
     }},
    {"Add Whitelist Items", Written::AsTheListWritesIt, true, false,
     [](vendrel::HostsDocument& d, const std::string& folder) {
         return *vendrel::planAddWhitelisted(d, folder + "/whitelist");
     }},
};

// What the C library resolves with a hosts file: localhost's addresses in
// the order it gives them, and the machine's name.
struct Resolved {
    std::vector<std::string> localhost;
    std::string machine;
};

// What the C library resolves with `hostsFile` in place of /etc/hosts, bound
// in a mount namespace of its own, so that the machine's file is never
// touched. Nothing where this system lets no namespace be made.
std::optional<Resolved> resolvedWith(const std::string& hostsFile)
{
    const std::string command = "unshare -m --propagation private sh -c 'mount --bind \"" + hostsFile +
                                "\" /etc/hosts && getent ahosts localhost | cut -d\" \" -f1 | uniq "
                                "&& echo -- && getent hosts myhost; echo end' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe))
        output += buffer.data();
    const int status = ::pclose(pipe);
    const std::size_t parting = output.find("--\n");
    if (status != 0 || !output.ends_with("end\n") || parting == std::string::npos)
        return std::nullopt;
    Resolved resolved{linesOf(output.substr(0, parting)), output.substr(parting + 3)};
    return resolved;
}

// `after` still resolves localhost first to the addresses `before` gives it, and the machine's name as before.
void expectResolvedAsBefore(const std::optional<Resolved>& before, const std::optional<Resolved>& after)
{
    if (!before)
        return;
    ASSERT_TRUE(after);
    const std::size_t first = std::min(before->localhost.size(), after->localhost.size());
    EXPECT_EQ(std::vector<std::string>(after->localhost.begin(), after->localhost.begin() + first), before->localhost);
    EXPECT_EQ(after->machine, before->machine);
}

struct Variant {
    Distribution distribution;
    bool withBlockList;
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.distribution.name << (v.withBlockList ? "+list" : ""); }

class DistributionHosts : public testing::TestWithParam<Variant> {
protected:
    FakePlatform fake;
    std::string folder = fake.root();
    std::string hostsPath = folder + "/hosts";

    void SetUp() override
    {
        fake.writeFile(folder + "/list", blockList());
        fake.writeFile(folder + "/backup", "127.0.0.1\tlocalhost\r\n0.0.0.0\told.example\r\n");
        fake.writeFile(folder + "/whitelist", "ip6-allnodes\r\nmyhost\r\nad7.example\r\n");
    }

    std::string original() const
    {
        const Variant& v = GetParam();
        return fixture(v.distribution.name) + (v.withBlockList ? blockList() : "");
    }

    // Runs `command` on the original file and gives what it wrote, or
    // nothing when it refused and left the file as it was.
    std::optional<std::string> afterCommand(const Command& command)
    {
        fake.writeFile(hostsPath, original());
        testing_support::SessionDriver session(hostsPath, "");
        session.document.setStyle({"myhost", std::vector<std::string>{GetParam().distribution.name}, "\n"});
        session.document.load();
        try {
            session.apply(command.plan(session.document, folder));
        } catch (const vendrel::CommandRefused&) {
            EXPECT_EQ(FakePlatform::readFile(hostsPath), original());
            return std::nullopt;
        }
        return FakePlatform::readFile(hostsPath);
    }

    void expectSystemLinesIn(const std::string& text, Written written, bool once)
    {
        const std::vector<std::string> lines = linesOf(text);
        for (const std::string& systemLine : GetParam().distribution.systemLines) {
            const auto alike = [&](const std::string& line) {
                return collapsedBlanks(line) == collapsedBlanks(systemLine);
            };
            const std::string expected = written == Written::AsTheListWritesIt ? listForm(systemLine) : systemLine;
            const bool found = written == Written::AsEitherFileHasThem
                                   ? std::ranges::find_if(lines, alike) != lines.end()
                                   : std::ranges::find(lines, expected) != lines.end();
            EXPECT_TRUE(found) << "lost: " << expected;
            if (once) {
                EXPECT_EQ(std::ranges::count_if(lines, alike), 1) << "not once: " << systemLine;
            }
        }
    }
};

TEST_P(DistributionHosts, EveryWholeFileCommandKeepsTheSystemLines)
{
    fake.writeFile(folder + "/original", original());
    const std::optional<Resolved> resolvedOriginal = resolvedWith(folder + "/original");
    fake.writeFile(folder + "/original-and-list", fixture(GetParam().distribution.name) + blockList());
    const std::optional<Resolved> resolvedWithList = resolvedWith(folder + "/original-and-list");
    for (const Command& command : commands) {
        SCOPED_TRACE(command.name);
        const std::optional<std::string> after = afterCommand(command);
        expectSystemLinesIn(after.value_or(original()), after ? command.written : Written::AsInTheFile,
                            after && command.sorts);
        EXPECT_EQ(after.value_or("").find('\r'), std::string::npos) << "the file's LF line ends were not kept";
        expectResolvedAsBefore(command.bringsInTheList ? resolvedWithList : resolvedOriginal, resolvedWith(hostsPath));
    }
    if (!resolvedOriginal)
        GTEST_SKIP() << "no mount namespace can be made here, so the C library's view of each result was not tried";
}

std::vector<Variant> variants()
{
    std::vector<Variant> all;
    for (const Distribution& distribution : distributions)
        for (const bool withBlockList : {false, true})
            all.push_back({distribution, withBlockList});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Distributions, DistributionHosts, testing::ValuesIn(variants()),
                         [](const testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.distribution.name) +
                                    (info.param.withBlockList ? "WithABlockList" : "");
                         });

// On Linux the default hosts file is the distribution's own, naming the machine where the distribution does.
TEST(DistributionHosts, TheDefaultIsTheDistributionsOwnFile)
{
    for (const Distribution& distribution : distributions) {
        SCOPED_TRACE(distribution.name);
        const platform::HostsFileStyle style{"myhost", std::vector<std::string>{distribution.name}, "\n"};
        EXPECT_EQ(vendrel::defaultHostsText(style), fixture(distribution.name));
    }
    const platform::HostsFileStyle unknown{"myhost", std::vector<std::string>{"gentoo"}, "\n"};
    EXPECT_EQ(vendrel::defaultHostsText(unknown), fixture("debian")) << "any other distribution gets Debian's";
    const platform::HostsFileStyle derived{"myhost", std::vector<std::string>{"linuxmint", "ubuntu", "debian"}, "\n"};
    EXPECT_EQ(vendrel::defaultHostsText(derived), fixture("ubuntu")) << "a derivative gets its parent's";
    EXPECT_EQ(vendrel::defaultHostsText({}).substr(0, 2), "# ") << "Windows keeps its sample file";
}

} // namespace

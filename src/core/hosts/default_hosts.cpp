#include "core/hosts/default_hosts.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace vendrel {
namespace {

struct DistributionHosts {
    std::vector<std::string_view> identifiers;
    std::string_view name;
    std::vector<std::string_view> lines;
};

// The hosts files the distributions install or document for a new system,
// "HOSTNAME" standing for the machine's name; Debian's, the first, serves any
// other distribution.
const std::vector<DistributionHosts>& distributionDefaults()
{
    static const std::vector<DistributionHosts> defaults = {
        {{"debian"},
         "Debian",
         {"127.0.0.1\tlocalhost", "127.0.1.1\tHOSTNAME", "",
          "# The following lines are desirable for IPv6 capable hosts", "::1     localhost ip6-localhost ip6-loopback",
          "ff02::1 ip6-allnodes", "ff02::2 ip6-allrouters"}},
        {{"ubuntu"},
         "Ubuntu",
         {"127.0.0.1 localhost", "127.0.1.1 HOSTNAME", "", "# The following lines are desirable for IPv6 capable hosts",
          "::1     ip6-localhost ip6-loopback", "fe00::0 ip6-localnet", "ff00::0 ip6-mcastprefix",
          "ff02::1 ip6-allnodes", "ff02::2 ip6-allrouters"}},
        {{"fedora", "rhel", "centos"},
         "Fedora",
         {"# Loopback entries; do not change.", "# For historical reasons, localhost precedes localhost.localdomain:",
          "127.0.0.1   localhost localhost.localdomain localhost4 localhost4.localdomain4",
          "::1         localhost localhost.localdomain localhost6 localhost6.localdomain6",
          "# See hosts(5) for proper format and other examples:", "# 192.168.1.10 foo.example.org foo",
          "# 192.168.1.13 bar.example.org bar"}},
        {{"arch"},
         "Arch Linux",
         {"# Static table lookup for hostnames.", "# See hosts(5) for details.", "127.0.0.1        localhost",
          "::1              localhost", "127.0.1.1        HOSTNAME"}},
        {{"alpine"},
         "Alpine Linux",
         {"127.0.0.1\tlocalhost localhost.localdomain", "::1\t\tlocalhost localhost.localdomain"}},
        {{"opensuse", "opensuse-leap", "opensuse-tumbleweed", "suse", "sles"},
         "openSUSE",
         {"#",
          "# hosts         This file describes a number of hostname-to-address",
          "#               mappings for the TCP/IP subsystem.  It is mostly",
          "#               used at boot time, when no name servers are running.",
          "#               On small systems, this file can be used instead of a",
          "#               \"named\" name server.",
          "# Syntax:",
          "#    ",
          "# IP-Address  Full-Qualified-Hostname  Short-Hostname",
          "#",
          "",
          "127.0.0.1\tlocalhost",
          "",
          "# special IPv6 addresses",
          "::1             localhost ipv6-localhost ipv6-loopback",
          "",
          "fe00::0         ipv6-localnet",
          "",
          "ff00::0         ipv6-mcastprefix",
          "ff02::1         ipv6-allnodes",
          "ff02::2         ipv6-allrouters",
          "ff02::3         ipv6-allhosts"}},
    };
    return defaults;
}

const DistributionHosts& distributionOf(const std::vector<std::string>& identifiers)
{
    const auto& defaults = distributionDefaults();
    for (const std::string& identifier : identifiers)
        for (const DistributionHosts& distribution : defaults)
            if (std::ranges::find(distribution.identifiers, identifier) != distribution.identifiers.end())
                return distribution;
    return defaults.front();
}

void appendLine(std::string& text, std::string_view line, const platform::HostsFileStyle& style)
{
    text.append(line).append(style.lineBreak);
}

// The line of a distribution's default that names the machine, if it has one.
std::optional<std::string_view> machineLineOf(const DistributionHosts& distribution)
{
    for (std::string_view line : distribution.lines)
        if (line.starts_with("127.0.1.1"))
            return line;
    return std::nullopt;
}

std::string linuxDefault(const DistributionHosts& distribution, const platform::HostsFileStyle& style)
{
    std::string text;
    for (std::string_view line : distribution.lines) {
        const std::size_t name = line.starts_with("127.0.1.1") ? line.find("HOSTNAME") : std::string_view::npos;
        if (name == std::string_view::npos)
            appendLine(text, line, style);
        else if (!style.machineName.empty())
            appendLine(text, std::string(line.substr(0, name)).append(style.machineName), style);
    }
    return text;
}

} // namespace

const std::vector<std::string>& defaultHostsLines()
{
    static const std::vector<std::string> lines = {
        "# Copyright (c) 1993-1999 Microsoft Corp.",
        "#  ",
        "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.",
        "#  ",
        "# This file contains the mappings of IP addresses to host names. Each",
        "# entry should be kept on an individual line. The IP address should",
        "# be placed in the first column followed by the corresponding host name.",
        "# The IP address and the host name should be separated by at least one",
        "# space.",
        "#  ",
        "# Additionally, comments (such as these) may be inserted on individual",
        "# lines or following the machine name denoted by a '#' symbol.",
        "#  ",
        "# For example:",
        "#  ",
        "# 102.54.94.97 rhino.acme.com # source server",
        "# 38.25.63.10 x.acme.com # x client host",
        "#  ",
        "127.0.0.1 localhost",
    };
    return lines;
}

std::string defaultHostsText(const platform::HostsFileStyle& style)
{
    if (style.distribution)
        return linuxDefault(distributionOf(*style.distribution), style);
    std::string text;
    for (const std::string& line : defaultHostsLines())
        appendLine(text, line, style);
    return text;
}

std::string defaultHostsDescription(const platform::HostsFileStyle& style)
{
    if (!style.distribution)
        return "the Windows sample hosts file";
    const DistributionHosts& distribution = distributionOf(*style.distribution);
    std::string description = "the default hosts file of " + std::string(distribution.name);
    if (machineLineOf(distribution) && !style.machineName.empty())
        description += ", its 127.0.1.1 line naming this machine " + style.machineName;
    return description;
}

} // namespace vendrel

#include "core/hosts/default_hosts.h"

namespace vendrel {

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

std::string defaultHostsText()
{
    std::string text;
    for (const std::string& line : defaultHostsLines())
        text.append(line).append("\r\n");
    return text;
}

} // namespace vendrel

#pragma once

#include <string>

namespace vendrel {

// A published block list: the ZIP archive on its publisher's web host and
// the hosts-format member inside it.
struct BlockListSource {
    const char* name;
    const char* host;
    const char* path;
    const char* member;

    std::string url(const std::string& hostOverride = {}) const
    {
        return "http://" + (hostOverride.empty() ? std::string(host) : hostOverride) + path;
    }
};

inline constexpr BlockListSource mvpsHostsList{"mvps", "www.mvps.org", "/winhelp2002/hosts.zip", "HOSTS"};
inline constexpr BlockListSource hpHostsList{"hphosts", "hosts-file.net", "/download/hosts.zip", "HOSTS.txt"};

// The name the downloaded archive is saved under in the program folder.
inline constexpr const char* downloadedArchiveName = "hosts.zip";

} // namespace vendrel

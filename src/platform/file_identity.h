#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// What tells one text of a file from another without reading it: which file
// it is, its size and when its bytes last changed. Any write or rename over
// it gives a different identity; a change of its permissions does not.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (a link is followed); nothing when
// there is no such file.
std::optional<FileIdentity> fileIdentity(const std::string& path);

} // namespace platform

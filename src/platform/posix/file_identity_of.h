#pragma once

#include "platform/file_identity.h"

#include <sys/stat.h>

namespace platform::posix {

inline FileIdentity identityOf(const struct stat& info)
{
    constexpr std::int64_t billion = 1000000000;
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * billion + info.st_mtim.tv_nsec};
}

} // namespace platform::posix

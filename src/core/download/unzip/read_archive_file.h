#pragma once

#include <string>

namespace vendrel::unzip {

// The whole content of the archive file at `path`. Throws vendrel::Error
// naming the file when it cannot be read or is larger than maxArchiveBytes,
// which no block-list archive comes near.
std::string readArchiveFile(const std::string& path);

} // namespace vendrel::unzip

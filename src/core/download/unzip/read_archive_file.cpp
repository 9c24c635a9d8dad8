#include "core/download/unzip/read_archive_file.h"

#include "core/download/unzip/zip_limits.h"
#include "core/error.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"

namespace vendrel::unzip {

std::string readArchiveFile(const std::string& path)
{
    try {
        return platform::readRegularFile(path, maxArchiveBytes);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

} // namespace vendrel::unzip

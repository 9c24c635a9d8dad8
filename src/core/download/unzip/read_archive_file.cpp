#include "core/download/unzip/read_archive_file.h"

#include "core/download/unzip/zip_limits.h"
#include "core/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <memory>

namespace vendrel::unzip {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void failReading(const std::string& path, int error)
{
    throw Error("Cannot read file " + path + ": " + std::strerror(error));
}

} // namespace

std::string readArchiveFile(const std::string& path)
{
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        failReading(path, errno);
    // Read in chunks rather than trusting the size the file reports, so that
    // a file that grows meanwhile (or a pipe) still stops at the limit.
    std::string bytes;
    std::error_code unknownSize;
    const std::uintmax_t reported = std::filesystem::file_size(path, unknownSize);
    if (!unknownSize)
        bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(reported, maxArchiveBytes + 1)));
    char chunk[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.append(chunk, got);
        if (bytes.size() > maxArchiveBytes)
            throw Error("Cannot unpack " + path + ": it is larger than " +
                        std::to_string(maxArchiveBytes / (1024 * 1024)) + " MiB");
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file.get()))
        failReading(path, errno);
    return bytes;
}

} // namespace vendrel::unzip

#include "platform/file_read.h"

#include "platform/atomic_file.h"
#include "platform/win32/win32_files.h"

#include <algorithm>

namespace platform {

using win32::fail;

namespace {

win32::UniqueHandle openRegular(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        fail("Cannot open file", path, ::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw FileError("Cannot open file " + path + ": it is a folder, not a regular file");
    win32::UniqueHandle file = win32::openForReading(path);
    if (!file)
        fail("Cannot open file", path, ::GetLastError());
    // A console, a pipe or a printer answers to a file name too.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        throw FileError("Cannot open file " + path + ": it is a device, not a regular file");
    return file;
}

} // namespace

std::string readRegularFileStart(const std::string& path, std::size_t bytes)
{
    const win32::UniqueHandle file = openRegular(path);
    std::string start(bytes, '\0');
    std::size_t filled = 0;
    while (filled < start.size()) {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(start.size() - filled, 1u << 20));
        if (!::ReadFile(file.get(), start.data() + filled, wanted, &got, nullptr))
            fail("Cannot read file", path, ::GetLastError());
        if (got == 0)
            break;
        filled += got;
    }
    start.resize(filled);
    return start;
}

std::string readRegularFile(const std::string& path, std::size_t limit, FileIdentity* identity)
{
    const win32::UniqueHandle file = openRegular(path);
    if (identity && !win32::identityOf(file.get(), *identity))
        fail("Cannot read file", path, ::GetLastError());
    return win32::readOpenFile(file.get(), limit, path);
}

} // namespace platform

#include "platform/file_read.h"

#include "platform/atomic_file.h"
#include "platform/win32/win32_files.h"

namespace platform {

using win32::fail;

std::string readRegularFile(const std::string& path, std::size_t limit, FileIdentity* identity)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        fail("Cannot open file", path, ::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw FileError("Cannot open file " + path + ": it is a folder, not a regular file");
    const win32::UniqueHandle file = win32::openForReading(path);
    if (!file)
        fail("Cannot open file", path, ::GetLastError());
    // A console, a pipe or a printer answers to a file name too.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        throw FileError("Cannot open file " + path + ": it is a device, not a regular file");
    if (identity && !win32::identityOf(file.get(), *identity))
        fail("Cannot read file", path, ::GetLastError());
    return win32::readOpenFile(file.get(), limit, path);
}

} // namespace platform

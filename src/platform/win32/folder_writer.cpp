#include "platform/folder_writer.h"

#include "platform/atomic_file.h"
#include "platform/win32/temporary_file.h"
#include "platform/win32/win32_files.h"

#include <utility>

namespace platform {
namespace {

using win32::fail;

// The folder stays open without keeping anyone from using or renaming
// what is in it; while it is open it cannot be removed or replaced.
HANDLE openFolder(const std::string& path)
{
    return ::CreateFileA(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

void applyDetails(HANDLE file, const NewFileDetails& details, const std::string& shown)
{
    if (!details.modificationTime)
        return;
    const FILETIME time = win32::fileTimeOf(*details.modificationTime);
    if (!::SetFileTime(file, nullptr, nullptr, &time))
        fail("Cannot set the time of", shown, ::GetLastError());
}

// Whatever stood at the name is replaced, a read-only file too.
void clearReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

} // namespace

Folder::Folder(const std::string& path) : path_(path)
{
    const HANDLE folder = openFolder(path);
    if (folder == INVALID_HANDLE_VALUE)
        fail("Cannot open folder", path, ::GetLastError());
    handle_ = reinterpret_cast<std::intptr_t>(folder);
}

Folder::~Folder()
{
    if (handle_ != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

Folder::Folder(Folder&& other) noexcept : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)) {}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (handle_ != -1)
            ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

void writeFileInFolder(const Folder& folder, const std::string& name, std::string_view bytes,
                       const NewFileDetails& details)
{
    const std::string shown = win32::inFolder(folder.path(), name);
    if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/:") != std::string::npos)
        throw FileError("Cannot create file " + shown + ": it is not a plain file name");
    const DWORD existing = ::GetFileAttributesA(shown.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
        throw FileError("Cannot create file " + shown + ": it is a folder");
    win32::removeStaleTemporaries(folder.path(), name);
    win32::TemporaryFile temporary(folder.path(), name, shown);
    temporary.fill(bytes);
    applyDetails(temporary.handle(), details, shown);
    clearReadOnly(shown);
    if (const DWORD error = temporary.replace(shown, false))
        fail("Cannot create file", shown, error);
    if (details.readOnly && !::SetFileAttributesA(shown.c_str(), FILE_ATTRIBUTE_READONLY))
        fail("Cannot make read-only", shown, ::GetLastError());
}

} // namespace platform

#include "platform/win32/temporary_file.h"

#include "platform/atomic_file.h"
#include "platform/win32/win32_files.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace platform::win32 {
namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a replacing file takes over from the file it replaces.
constexpr DWORD keptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                 FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%lx-%llx-%x", ::GetCurrentProcessId(),
                  static_cast<unsigned long long>(::GetTickCount64()), counter.fetch_add(1));
    return suffix;
}

[[noreturn]] void folderRefused(const std::string& shownPath, DWORD error)
{
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
        throw FileError("Cannot write " + shownPath + ": its folder " + folderOf(shownPath) + " cannot be written (" +
                        reason(error) + ")");
    fail("Cannot create file", shownPath, error);
}

// An exclusive lock on the whole file, taken without waiting: a live writer
// holds its temporary file's.
bool lockWithoutWaiting(HANDLE file)
{
    OVERLAPPED whole{};
    return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
}

std::vector<std::string> namesStartingWith(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(inFolder(folder, prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.emplace_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

} // namespace

std::string inFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.ends_with('\\') || folder.ends_with('/'))
        return folder + name;
    return folder + "\\" + name;
}

std::string temporaryPrefix(const std::string& targetName) { return "." + targetName + ".tmp-"; }

TemporaryFile::TemporaryFile(const std::string& folder, const std::string& targetName, const std::string& shownPath)
    : shownPath_(shownPath)
{
    for (int attempt = 0; attempt < 100 && !handle_; ++attempt) {
        path_ = inFolder(folder, temporaryPrefix(targetName) + uniqueSuffix());
        handle_ = UniqueHandle(::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, shareAll, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_ && ::GetLastError() != ERROR_FILE_EXISTS)
            folderRefused(shownPath, ::GetLastError());
    }
    if (!handle_)
        fail("Cannot create file", shownPath, ERROR_FILE_EXISTS);
    lockWithoutWaiting(handle_.get());
}

TemporaryFile::~TemporaryFile()
{
    if (moved_ || !handle_)
        return;
    handle_.reset();
    ::DeleteFileA(path_.c_str());
}

void TemporaryFile::fill(std::string_view bytes)
{
    if (!writeAll(handle_.get(), bytes, write_faults::Step::NewFile) || !::FlushFileBuffers(handle_.get()))
        fail("Cannot write file", shownPath_, ::GetLastError());
}

DWORD TemporaryFile::replace(const std::string& target, bool targetExists)
{
    if (targetExists) {
        const DWORD attributes = ::GetFileAttributesA(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & keptAttributes))
            ::SetFileAttributesA(path_.c_str(), attributes & keptAttributes);
        // ReplaceFile keeps the target's security, times of creation and
        // streams; where it cannot, a rename over the target still does the job.
        if (::ReplaceFileA(target.c_str(), path_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            moved_ = true;
            return 0;
        }
    }
    if (!::MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ::GetLastError();
    moved_ = true;
    return 0;
}

namespace {

// A live writer holds its file's lock.
void removeIfStale(const std::string& folder, const std::string& name)
{
    const std::string path = inFolder(folder, name);
    UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ | DELETE, shareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && lockWithoutWaiting(file.get())) {
        file.reset();
        ::DeleteFileA(path.c_str());
    }
}

} // namespace

void removeStaleTemporaries(const std::string& folder, const std::string& targetName)
{
    for (const std::string& name : namesStartingWith(folder, temporaryPrefix(targetName)))
        removeIfStale(folder, name);
}

void removeStaleTemporariesOfEveryFile(const std::string& folder)
{
    for (const std::string& name : namesStartingWith(folder, "."))
        if (name.find(".tmp-") != std::string::npos)
            removeIfStale(folder, name);
}

} // namespace platform::win32

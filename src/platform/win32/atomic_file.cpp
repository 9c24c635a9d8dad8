#include "platform/atomic_file.h"

#include "platform/win32/temporary_file.h"
#include "platform/win32/win32_files.h"

namespace platform {
namespace {

using win32::fail;

// Whether the file a write of a path lands in exists; throws FileError when
// it cannot be written over.
bool examineTarget(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND)
            fail("Cannot create file", path, error);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw FileError("Cannot create file " + path + ": it is a folder");
    if (attributes & FILE_ATTRIBUTE_READONLY)
        fail("Cannot create file", path, ERROR_ACCESS_DENIED);
    const win32::UniqueHandle file = win32::openForReading(path);
    if (file && ::GetFileType(file.get()) != FILE_TYPE_DISK)
        throw FileError("Cannot write " + path + ": it is a device, not a regular file");
    return true;
}

} // namespace

// The new text goes to a temporary file beside the target, is flushed to the
// disk and then put in the target's place in one step: ReplaceFileA when the
// target exists (it keeps the target's attributes and security), MoveFileExA
// otherwise. The old file stays whole until that step.
void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    const bool exists = examineTarget(path);
    const std::string folder = win32::folderOf(path);
    const std::string name = win32::nameOf(path);
    win32::removeStaleTemporaries(folder, name);

    win32::TemporaryFile temporary(folder, name, path);
    temporary.fill(bytes);
    if (const DWORD error = temporary.replace(path, exists))
        fail("Cannot create file", path, error);
}

// Every write replaces the file in one step, so none is ever left half done.
std::optional<InterruptedRewrite> finishInterruptedRewrite(const std::string&) { return std::nullopt; }

void removeStaleTemporariesIn(const std::string& folder) { win32::removeStaleTemporariesOfEveryFile(folder); }

bool hasInterruptedRewrite(const std::string&) { return false; }

void discardRewriteRecord(const InterruptedRewrite&) {}

} // namespace platform

#include "platform/posix/file_metadata_copy.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform::posix {
namespace {

// The names of the file's extended attributes; nothing on failure, with
// `ok` false unless the file system simply has none.
std::vector<std::string> attributeNames(int fd, bool& ok)
{
    ok = true;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) {
            ok = errno == ENOTSUP;
            return {};
        }
        std::vector<char> list(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE)
            continue; // grew meanwhile
        if (got < 0) {
            ok = false;
            return {};
        }
        std::vector<std::string> names;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            names.emplace_back(list.data() + at);
            at += names.back().size() + 1;
        }
        return names;
    }
}

bool readAttribute(int fd, const std::string& name, std::vector<char>& value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool copyAttributes(int sourceFd, int fd)
{
    bool ok = false;
    const std::vector<std::string> wanted = attributeNames(sourceFd, ok);
    if (!ok)
        return false;
    // The new file may have inherited some (a folder's default ACL, say).
    bool listed = false;
    for (const std::string& inherited : attributeNames(fd, listed))
        if (std::find(wanted.begin(), wanted.end(), inherited) == wanted.end() &&
            ::fremovexattr(fd, inherited.c_str()) != 0)
            return false;
    std::vector<char> value;
    for (const std::string& name : wanted)
        if (!readAttribute(sourceFd, name, value) || ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    return true;
}

} // namespace

bool copyFileMetadata(int sourceFd, const struct stat& source, int fd)
{
    // The owner first: changing it clears the set-id bits, which the mode
    // then sets again. The mode last, after any ACL, which it must agree with.
    if (::fchown(fd, source.st_uid, source.st_gid) != 0)
        return false;
    if (!copyAttributes(sourceFd, fd))
        return false;
    if (::fchmod(fd, source.st_mode & 07777) != 0)
        return false;
    struct stat result {};
    return ::fstat(fd, &result) == 0 && result.st_uid == source.st_uid && result.st_gid == source.st_gid &&
           (result.st_mode & 07777) == (source.st_mode & 07777);
}

} // namespace platform::posix

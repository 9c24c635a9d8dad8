#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the file at `path` by `bytes` so that at every moment the path
// holds either the whole old text or the whole new one. The data goes to a
// temporary file in the same folder, is synced and renamed over the target,
// which keeps its owner, group, permission bits and extended attributes. A
// target that cannot be renamed over (a single file mounted on its own) or
// must stay one file (hard links), or whose owner or attributes this process
// cannot give a new file, is rewritten in place instead: with its room
// reserved first and a complete copy kept beside it until it is done (see
// finishInterruptedRewrite). A symbolic link is followed; a link to nothing,
// a named pipe, a device or a read-only file is refused. On failure FileError
// says which file is affected and whether it changed.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// Finishes a rewrite in place of `path` that a kill or a power cut
// interrupted, from the complete copy it left beside the file. Returns the
// copy's path when there was one (it is then gone), nothing otherwise.
// Throws FileError when the copy cannot be put in place. The caller holds
// the file's lock.
std::optional<std::string> finishInterruptedRewrite(const std::string& path);

} // namespace platform

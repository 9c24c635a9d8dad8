#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// ".hosts.complete-copy": the name under which the complete new text of
// `targetName` waits beside it while the file is rewritten in place. While
// that file exists, the target may be incomplete.
std::string completeCopyName(const std::string& targetName);

// Rewrites the regular file `path` (in the open folder `folderFd`) in place
// with `bytes`, whose complete copy already stands in that folder under
// completeCopyName(): the room for the new text is reserved first, so a full
// disk stops the rewrite before any old byte is lost; then the bytes go over
// the old ones, the file is cut to the new length and synced, and only then
// is the copy removed. `targetWhole` says whether the file still holds its
// whole old text (it does not when an interrupted rewrite is finished).
// Throws FileError saying whether the file was left unchanged (the copy is
// then removed too) or incomplete (the copy stays, for the next start).
void rewriteInPlace(int folderFd, const std::string& path, std::string_view bytes, bool targetWhole);

} // namespace platform::posix

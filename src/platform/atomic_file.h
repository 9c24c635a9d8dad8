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

// What a rewrite in place that a kill or a power cut interrupted left: the
// record beside the file with its complete new text.
struct InterruptedRewrite {
    std::string recordPath;
    // Empty when the rewrite was finished. Otherwise why the file is not
    // provably that rewrite's own unfinished work; the file and the record
    // were left as they are.
    std::string notFinishedBecause;
    // The text the rewrite was writing, when it was not finished and the
    // record is sound and the file's owner's; none otherwise.
    std::optional<std::string> newText;

    bool finished() const { return notFinishedBecause.empty(); }
};

// Finishes an interrupted rewrite in place of `path` from its record, only
// when the file is provably that rewrite's unfinished work: the same file
// (device and inode), a record owned by root or the file's owner whose
// texts have their digests, and bytes that are the new text, or its start
// followed by the rest of the old text. Returns nothing when there was no
// record. Throws FileError when the record cannot be read or the rewrite
// cannot be finished. The caller holds the file's lock.
std::optional<InterruptedRewrite> finishInterruptedRewrite(const std::string& path);

// Removes the temporary files that writers killed before they finished left
// in `folder`; a live writer's file is never taken.
void removeStaleTemporariesIn(const std::string& folder);

// Whether a rewrite in place of `path` was interrupted and left its record.
bool hasInterruptedRewrite(const std::string& path);

// Removes the record of a rewrite that was not finished, once its text is
// kept elsewhere.
void discardRewriteRecord(const InterruptedRewrite& record);

} // namespace platform

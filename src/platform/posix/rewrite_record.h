#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::posix {

// What a rewrite in place keeps beside its file until it is done: the file it
// rewrites (device, inode, owner, permission bits), the complete new text and
// the old text, each with its length and SHA-256 digest. After a kill it is
// what proves that the file is that rewrite's own unfinished work, and what
// finishes it.
struct RewriteRecord {
    dev_t device = 0;
    ino_t inode = 0;
    uid_t owner = 0;
    mode_t mode = 0;
    std::string newText;
    // None when the old text could not be read: then nothing but the whole
    // new text proves the rewrite.
    std::optional<std::string> oldText;
};

// The record as it is stored: a short header of `key value` lines, a blank
// line, the new text, then the old one.
std::string encodeRewriteRecord(const RewriteRecord& record);

// The record stored in `file`; throws FileError naming `path` when it is not
// a whole record of this form: a header that does not parse, lengths that do
// not add up to the file's size, or a text that does not have its digest.
RewriteRecord decodeRewriteRecord(std::string_view file, const std::string& path);

// Whether `current` is a state that rewriting the old text in place with the
// new one passes through: the new text whole, or its first bytes followed by
// the rest of the old text (and, where the room was reserved by growing the
// file, zeros up to the new length).
bool isUnfinishedRewrite(std::string_view current, const RewriteRecord& record);

} // namespace platform::posix

#pragma once

#include "core/download/unzip/zip_member.h"

#include <string>

namespace vendrel::unzip {

// Carries a member's DOS date and time over to the file written from it, as
// its modification time. A member without a valid date, or a file system
// that refuses, leaves the time of writing: the content is what counts.
void stampModificationTime(const std::string& path, const ZipMember& member);

// Takes every write permission away from the file, as the DOS read-only
// attribute asks (on Windows this sets that attribute). A refusal is ignored
// for the same reason.
void removeWritePermission(const std::string& path);

} // namespace vendrel::unzip

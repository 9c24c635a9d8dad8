#pragma once

#include "core/download/unzip/zip_member.h"
#include "platform/folder_writer.h"

namespace vendrel::unzip {

// What the file written from `member` gets besides its bytes: the member's
// DOS date and time as its modification time (the time of writing when the
// member has no valid date), and the DOS read-only attribute as a file
// without write permission.
platform::NewFileDetails newFileDetails(const ZipMember& member);

} // namespace vendrel::unzip

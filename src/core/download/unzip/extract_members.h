#pragma once

#include "core/download/unzip/zip_archive.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vendrel {

// What extractMembers() wrote.
struct ExtractResult {
    // Each file written, in archive order: one entry per selected member, so
    // a path appears again when a later member was written over it.
    std::vector<std::string> writtenFiles;

    // No member had the requested name; nothing was written, and a file of
    // that name in the base directory is whatever it was before.
    bool nothingSelected() const { return writtenFiles.empty(); }
};

// The members a request for `memberName` selects, in archive order: those
// whose file-name part (after the last "/" or "\") equals it, ignoring the
// case of ASCII letters. Folder entries are never selected.
std::vector<std::size_t> selectedMembers(const std::vector<ZipMember>& members, const std::string& memberName);

// Writes each selected member of the archive into `baseDirectory` under the
// file-name part of its stored name, stored letter case kept, over any file
// of that name. Every selected member is unpacked and its CRC-32 checked
// before the first file is written; each file is written to a temporary
// file and renamed into place, then gets the member's DOS date and time,
// and loses its write permission when the member is read-only. Throws
// vendrel::Error naming the archive when the archive cannot be opened, is
// refused as unsafe, a selected member cannot be unpacked, a file cannot be
// written, or `memberName` is not a plain file name.
ExtractResult extractMembers(const ZipArchive& archive, const std::string& memberName,
                             const std::string& baseDirectory);

// The same for the archive file at `archivePath`.
ExtractResult extractMembers(const std::string& archivePath, const std::string& memberName,
                             const std::string& baseDirectory);

} // namespace vendrel

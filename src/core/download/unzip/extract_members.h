#pragma once

#include "core/download/unzip/zip_archive.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vendrel {

// What extractMembers() wrote.
struct ExtractResult {
    // The file written: one path, or none when no member had the requested name.
    std::vector<std::string> writtenFiles;
    // When several members have the requested name, which one was unpacked, as
    //   hosts.zip holds 3 files named HOSTS; the first, "a/HOSTS", was unpacked
    // and empty otherwise.
    std::string note;

    // No member had the requested name; nothing was written, and a file of
    // that name in the base directory is whatever it was before.
    bool nothingSelected() const { return writtenFiles.empty(); }
};

// The members a request for `memberName` selects, in archive order: those
// whose file-name part (after the last "/" or "\") equals it, ignoring the
// case of ASCII letters. Folder entries are never selected.
std::vector<std::size_t> selectedMembers(const std::vector<ZipMember>& members, const std::string& memberName);

// Writes the first selected member of the archive into `baseDirectory` under
// the file-name part of its stored name, stored letter case kept, over any
// file of that name; the members selected after it are neither unpacked nor
// written. The member is unpacked and its CRC-32 checked first, then written
// to a temporary file in the folder, which gets the member's DOS date and
// time and loses its write permission when the member is read-only, and is
// renamed into place. The folder is opened once and the file created in it
// without following symbolic links, so a link planted at the member's name
// is replaced, not written through. Throws vendrel::Error naming the archive
// when the archive cannot be opened, is refused as unsafe, the member cannot
// be unpacked, the file cannot be written, or `memberName` is not a plain
// file name.
ExtractResult extractMembers(const ZipArchive& archive, const std::string& memberName,
                             const std::string& baseDirectory);

// The same for the archive file at `archivePath`.
ExtractResult extractMembers(const std::string& archivePath, const std::string& memberName,
                             const std::string& baseDirectory);

} // namespace vendrel

namespace vendrel::unzip {

// The whole content of the archive file at `path`. Throws vendrel::Error
// naming the file when it cannot be read or is larger than maxArchiveBytes,
// which no block-list archive comes near.
std::string readArchiveFile(const std::string& path);

} // namespace vendrel::unzip

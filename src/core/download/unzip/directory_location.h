#pragma once

#include <cstdint>
#include <string_view>

namespace vendrel::unzip {

// Where an archive's central directory lies in its bytes.
struct DirectoryLocation {
    std::uint64_t offset = 0;   // of the first entry, from the start of the bytes
    std::uint64_t size = 0;     // in bytes
    std::uint64_t entries = 0;
    // Bytes in front of the archive proper (a self-extractor stub, a mail
    // header): every offset the archive stores is off by this many.
    std::uint64_t leadingBytes = 0;
};

// Finds the end-of-central-directory record, searching backwards, and the
// zip64 end record where the archive needs one, then the directory they
// point to. An end record whose comment reaches exactly to the end of the
// bytes is preferred; otherwise the last one whose directory resolves is
// taken, which tolerates junk after the archive. Throws NotZipArchive when
// there is no end record at all, ZipDefect when there is one but the
// directory cannot be found from it.
DirectoryLocation locateDirectory(std::string_view archive);

} // namespace vendrel::unzip

#pragma once

#include "core/download/unzip/zip_directory.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vendrel {

// A ZIP archive held in memory: its central directory is read and checked
// when it is opened, and members are unpacked on request. Stored (method 0)
// and deflated (method 8) members can be unpacked; others, and encrypted
// ones, are refused one by one. Every error is a vendrel::Error whose message
// names the archive, for example
//   "Cannot unpack /tmp/lists.zip: member "hosts" fails its CRC-32 check".
class ZipArchive {
public:
    // Reads the whole file, refusing one larger than a block-list archive
    // can be, and opens it.
    static ZipArchive fromFile(const std::string& path);
    // Opens archive bytes; `name` stands for the archive in messages.
    static ZipArchive fromBytes(std::string bytes, std::string name);

    const std::string& name() const { return name_; }
    // The directory's entries, in archive order.
    const std::vector<ZipMember>& members() const { return members_; }

    // The unpacked bytes of members()[index], after their size and CRC-32
    // have been checked against the directory. `index` must be below
    // members().size() (std::out_of_range otherwise).
    std::string extract(std::size_t index) const;

private:
    ZipArchive(std::string bytes, std::string name);

    std::string bytes_;
    std::string name_;
    std::vector<ZipMember> members_;
};

} // namespace vendrel

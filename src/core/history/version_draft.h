#pragma once

#include "core/history/version_file.h"

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vendrel {

// The bytes of the hosts file before a change, packed for its history: the
// compressed bytes wait in draft files of the history's folder, which no
// listing takes for a version, until the version is written from them.
struct PackedVersion {
    ChunkSizes chunks;
    // The names of each chunk's draft files, in the order of its bytes.
    std::vector<std::vector<std::string>> pieces;
    std::string hash;      // contentHash of the bytes
    std::size_t lines = 0; // countLines of the bytes
};

// Packs a version of the hosts file on a thread of its own while the change
// it is kept for is worked out, so that the write which follows neither
// reads the file again nor waits for the compression, and the compressed
// bytes wait on disk rather than beside the change in memory. Only for an
// owner that holds the hosts file's lock throughout: a draft file met
// under the lock is then always one a killed process left, and goes.
class VersionDraft {
public:
    // Starts packing `bytes`, which must stay as they are until wait()
    // returns, into draft files in the history folder `folder`.
    VersionDraft(std::string_view bytes, std::string folder);
    VersionDraft(const VersionDraft&) = delete;
    VersionDraft& operator=(const VersionDraft&) = delete;
    // Removes its draft files, and the folder when nothing else is in it.
    ~VersionDraft();

    // Waits until the bytes are packed: from then on they are no longer read.
    void wait();
    // The packed version, once packed; throws Error when it could not be
    // packed, naming what went wrong.
    const PackedVersion& packed();

private:
    void pack(std::string_view bytes);

    std::string folder_;
    PackedVersion packed_;
    std::exception_ptr failure_;
    // Last, so that it is joined before what it fills goes.
    std::jthread packer_;
};

// Removes every draft file in the history folder `folder`.
void removeStaleDrafts(const std::string& folder);
// Removes the folder when nothing is in it.
void removeFolderIfEmpty(const std::string& folder);
// Creates the history folder `folder`, for its owner alone, when it does not exist.
void createPrivateFolder(const std::string& folder);

} // namespace vendrel

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel {

// Which way a kept version moves the undo and redo lists.
enum class HistoryMove {
    Change, // a new change: it can be undone, and nothing is left to redo
    Undo,   // the undo of a change: that change can be redone
    Redo,   // the redo of an undo: the change can be undone again
};

// A short fingerprint of a file's bytes: their length and CRC-32, as
// "36000000-1a2b3c4d". It tells whether the hosts file is still the text a
// change left, so that an undo never overwrites another program's edit.
std::string contentHash(std::string_view bytes);

// What a version records besides its bytes: the hosts file as it was before
// `command` ran, and what that command made of it.
struct VersionInfo {
    std::uint64_t number = 0;
    std::int64_t time = 0; // seconds since 1970-01-01 UTC
    std::string command;
    std::size_t linesBefore = 0;
    std::size_t linesAfter = 0;
    std::string hash;      // contentHash of the version's bytes
    std::string hashAfter; // contentHash of the file the command left
    HistoryMove move = HistoryMove::Change;
    std::uint64_t stepped = 0; // the version an undo or redo wrote back
    std::uint64_t diskSize = 0;
};

// How a version's bytes are packed in zlib chunks: compressed, or stored as
// they are (a tenth of the time, for a version that must be on disk at once
// and is compressed later).
enum class Packing { Compressed, Stored };

// A version file: a text header of `key value` lines, a blank line, then the
// bytes in zlib chunks (compressed side by side on large files). The header's
// hash is `info.hash` when given, else computed.
std::string encodeVersion(const VersionInfo& info, std::string_view bytes, Packing packing = Packing::Compressed);
// Whether the file's chunks are stored rather than compressed; throws Error
// naming `path` when it is not a version file.
bool isStoredVersion(std::string_view file, const std::string& path);
// The header alone; throws Error naming `path` when it is not a version file.
VersionInfo decodeVersionInfo(std::string_view file, const std::string& path);
// The bytes, checked against the header's hash; throws Error naming `path`
// when the file is damaged.
std::string decodeVersionBytes(std::string_view file, const std::string& path);

} // namespace vendrel

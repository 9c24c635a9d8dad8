#pragma once

#include "core/error.h"
#include "core/history/line_edit.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vendrel {

// Which way a kept version moves the undo and redo lists.
enum class HistoryMove {
    Change, // a new change: it can be undone, and nothing is left to redo
    Undo,   // the undo of a change: that change can be redone
    Redo,   // the redo of an undo: the change can be undone again
    Aside,  // a text kept aside, never written: it can be restored, not undone
};

// Why a version of the hosts file could not be written, `reason` first: the
// change it was kept for must then not be made.
Error versionNotKept(std::string_view reason);

// The version file at `path` is damaged: the error that says so.
Error damagedVersion(const std::string& path);

// A short fingerprint of a file's bytes: their length and CRC-32, as
// "36000000-1a2b3c4d". It tells whether the hosts file is still the text a
// change left, so that an undo never overwrites another program's edit.
std::string contentHash(std::string_view bytes);
// The contentHash of `before`, whose contentHash is `beforeHash`, with its
// bytes [from, to) replaced by `inserted`, from the bytes in front of the
// replacement and in it only: what a change of one line of a large text
// needs to know of the text it leaves. Nothing when `beforeHash` is not
// the contentHash form of a text of that size.
std::optional<std::string> contentHashOfSplice(std::string_view before, std::string_view beforeHash, std::size_t from,
                                               std::size_t to, std::string_view inserted);

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
    // A version whose bytes are not in its file: they are version `base`'s
    // bytes with the edit of base's change made; 0 for a whole version.
    std::uint64_t base = 0;
    // The size of the record of what the command changed (a LineEdit), when
    // the version keeps one after its bytes.
    std::optional<std::size_t> editSize;
};

// How a version's bytes are packed in zlib chunks: compressed, or stored as
// they are (a tenth of the time, for a version that must be on disk at once
// and is compressed later).
enum class Packing { Compressed, Stored };

// How many zlib chunks a version of `size` bytes is compressed in: one for a
// small file, one for each processor (at most four) for a large one.
std::size_t versionChunkCount(std::size_t size);

// The raw and compressed sizes of a version's zlib chunks, in order.
using ChunkSizes = std::vector<std::pair<std::size_t, std::size_t>>;

// Compresses `bytes` into the chunks encodeVersion makes of them, side by
// side as it does, handing each chunk's compressed bytes to `put` as they
// come, in pieces of at most `pieceSize`, from the thread that compresses
// that chunk: a chunk's pieces one after the other are the chunk
// encodeVersion writes. Throws Error when zlib fails, or what `put` threw.
ChunkSizes packBytesInPieces(std::string_view bytes, std::size_t pieceSize,
                             const std::function<void(std::size_t chunk, std::string_view piece)>& put);

// A version file: a text header of `key value` lines, a blank line, then the
// bytes in zlib chunks (compressed side by side on large files). The header's
// hash is `info.hash` when given, else computed.
// The record of `edit`, when given, follows the chunks.
std::string encodeVersion(const VersionInfo& info, std::string_view bytes, Packing packing = Packing::Compressed,
                          const std::optional<LineEdit>& edit = std::nullopt);
// A version whose bytes are `info.base`'s with that version's edit made:
// only its header and the record of `edit`, when given.
std::string encodeVersionOnBase(const VersionInfo& info, const std::optional<LineEdit>& edit);
// The header of a version file whose chunks, of these raw and compressed
// sizes, follow it (then an edit record of `info.editSize`); the hash is `info.hash`.
std::string encodeVersionHeader(const VersionInfo& info, const ChunkSizes& chunkSizes);
// Whether the file's chunks are stored rather than compressed; throws Error
// naming `path` when it is not a version file.
bool isStoredVersion(std::string_view file, const std::string& path);
// The header alone; throws Error naming `path` when it is not a version file.
VersionInfo decodeVersionInfo(std::string_view file, const std::string& path);
// The bytes, checked against the header's hash; throws Error naming `path`
// when the file is damaged or keeps no bytes of its own (a version on a base).
std::string decodeVersionBytes(std::string_view file, const std::string& path);
// The edit of the version's change, when the file keeps one; throws Error
// naming `path` when the file is damaged.
std::optional<LineEdit> decodeVersionEdit(std::string_view file, const std::string& path);

} // namespace vendrel

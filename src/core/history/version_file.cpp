#include "core/history/version_file.h"

#include "core/error.h"
#include "core/hosts/text_file.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace vendrel {
namespace {

constexpr std::string_view signature = "vendrel history version 1\n";
// What a version may claim: the chunks a writer makes (at most four), the
// bytes of the largest hosts file the editor reads, and what zlib can make
// of its compressed bytes at most (1032 to 1, and a little for a tiny stream).
constexpr std::size_t maximumChunks = 16;
constexpr std::size_t maximumVersionBytes = maximumTextFileSize;
constexpr std::size_t zlibRatioBound = 1032;
constexpr std::size_t zlibSmallStreamSlack = 64;
constexpr std::size_t chunkThreshold = std::size_t{4} << 20;
// The fastest zlib level: hosts text still shrinks to about a quarter.
constexpr int compressionLevel = 1;

struct Chunk {
    std::size_t rawSize = 0;
    std::size_t compressedSize = 0;
};

// Runs task(0) .. task(count - 1), the first here and the rest on threads of their own.
void runSideBySide(std::size_t count, const std::function<void(std::size_t)>& task)
{
    std::vector<std::jthread> others;
    for (std::size_t i = 1; i < count; ++i)
        others.emplace_back([&task, i] { task(i); });
    task(0);
}

// The `i`th of the `count` chunks a version's `bytes` are compressed in.
std::string_view chunkOf(std::string_view bytes, std::size_t count, std::size_t i)
{
    const std::size_t step = (bytes.size() + count - 1) / count;
    const std::size_t start = std::min(bytes.size(), i * step);
    return bytes.substr(start, std::min(step, bytes.size() - start));
}

[[noreturn]] void compressionFailed()
{
    throw Error("Could not compress a version of the hosts file for its history.");
}

// Compresses `raw` into one zlib stream, handed to `put` in pieces of at
// most `pieceSize` as they come; returns its size.
std::size_t compressChunkInPieces(std::string_view raw, std::size_t pieceSize,
                                  const std::function<void(std::string_view)>& put)
{
    z_stream stream{};
    if (deflateInit(&stream, compressionLevel) != Z_OK)
        compressionFailed();
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, deflateEnd);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    stream.avail_in = static_cast<uInt>(raw.size());
    const auto piece = std::make_unique_for_overwrite<char[]>(pieceSize);
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        stream.next_out = reinterpret_cast<Bytef*>(piece.get());
        stream.avail_out = static_cast<uInt>(pieceSize);
        result = deflate(&stream, Z_FINISH);
        if (result != Z_OK && result != Z_STREAM_END)
            compressionFailed();
        put(std::string_view(piece.get(), pieceSize - stream.avail_out));
    }
    return stream.total_out;
}

std::string compressChunk(std::string_view raw)
{
    std::string out;
    // Reserved, not filled: only the pages the compressed bytes reach are touched.
    out.reserve(compressBound(static_cast<uLong>(raw.size())));
    compressChunkInPieces(raw, std::size_t{1} << 20, [&out](std::string_view piece) { out.append(piece); });
    return out;
}

std::string_view moveName(HistoryMove move)
{
    switch (move) {
    case HistoryMove::Undo:
        return "undo";
    case HistoryMove::Redo:
        return "redo";
    case HistoryMove::Aside:
        return "aside";
    case HistoryMove::Change:
        break;
    }
    return "change";
}

void appendField(std::string& header, std::string_view key, std::string_view value)
{
    header.append(key).append(" ").append(value).append("\n");
}

[[noreturn]] void damaged(const std::string& path) { throw damagedVersion(path); }

template <typename Number>
Number parseNumber(std::string_view text, const std::string& path)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        damaged(path);
    return value;
}

struct ParsedFile {
    VersionInfo info;
    std::vector<Chunk> chunks;
    std::string_view data;
};

void takeField(ParsedFile& parsed, std::string_view key, std::string_view value, const std::string& path)
{
    VersionInfo& info = parsed.info;
    if (key == "number")
        info.number = parseNumber<std::uint64_t>(value, path);
    else if (key == "time")
        info.time = parseNumber<std::int64_t>(value, path);
    else if (key == "command")
        info.command = std::string(value);
    else if (key == "lines-before")
        info.linesBefore = parseNumber<std::size_t>(value, path);
    else if (key == "lines-after")
        info.linesAfter = parseNumber<std::size_t>(value, path);
    else if (key == "hash")
        info.hash = std::string(value);
    else if (key == "hash-after")
        info.hashAfter = std::string(value);
    else if (key == "move")
        info.move = value == "undo"    ? HistoryMove::Undo
                    : value == "redo"  ? HistoryMove::Redo
                    : value == "aside" ? HistoryMove::Aside
                                       : HistoryMove::Change;
    else if (key == "stepped")
        info.stepped = parseNumber<std::uint64_t>(value, path);
    else if (key == "base")
        info.base = parseNumber<std::uint64_t>(value, path);
    else if (key == "edit")
        info.editSize = parseNumber<std::size_t>(value, path);
    else if (key == "chunk") {
        const std::size_t space = value.find(' ');
        if (space == std::string_view::npos || parsed.chunks.size() == maximumChunks)
            damaged(path);
        parsed.chunks.push_back({parseNumber<std::size_t>(value.substr(0, space), path),
                                 parseNumber<std::size_t>(value.substr(space + 1), path)});
    }
}

// A claim no chunk can hold is damage, found before any memory is spent on it:
// sizes that add up past the largest version, or more bytes than the
// compressed ones can possibly inflate to.
void refuseImpossibleChunks(const std::vector<Chunk>& chunks, const std::string& path)
{
    std::size_t raw = 0;
    for (const Chunk& chunk : chunks) {
        if (chunk.rawSize > maximumVersionBytes - raw)
            damaged(path);
        raw += chunk.rawSize;
        if (chunk.compressedSize > maximumVersionBytes ||
            chunk.rawSize > chunk.compressedSize * zlibRatioBound + zlibSmallStreamSlack)
            damaged(path);
    }
}

// A version on a base keeps no bytes of its own and builds on an older
// version only, so that no chain of bases can run in a circle; every other
// version keeps its bytes. An edit record is no larger than a version.
void refuseImpossibleBase(const ParsedFile& parsed, const std::string& path)
{
    const VersionInfo& info = parsed.info;
    if (info.base != 0 ? !parsed.chunks.empty() || info.base >= info.number : parsed.chunks.empty())
        damaged(path);
    if (info.editSize && *info.editSize > maximumVersionBytes)
        damaged(path);
}

// The sizes of the chunks' data and of the edit record after it; damage
// when they are not the data after the header.
std::size_t chunkDataSize(const ParsedFile& parsed, const std::string& path)
{
    std::size_t stored = 0;
    for (const Chunk& chunk : parsed.chunks)
        stored += chunk.compressedSize;
    if (stored + parsed.info.editSize.value_or(0) != parsed.data.size())
        damaged(path);
    return stored;
}

ParsedFile parse(std::string_view file, const std::string& path)
{
    if (!file.starts_with(signature))
        damaged(path);
    const std::size_t headerEnd = file.find("\n\n");
    if (headerEnd == std::string_view::npos)
        damaged(path);
    ParsedFile parsed;
    std::string_view header = file.substr(signature.size(), headerEnd + 1 - signature.size());
    while (!header.empty()) {
        const std::size_t end = header.find('\n');
        const std::string_view line = header.substr(0, end);
        header.remove_prefix(end + 1);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            damaged(path);
        takeField(parsed, line.substr(0, space), line.substr(space + 1), path);
    }
    parsed.data = file.substr(headerEnd + 2);
    parsed.info.diskSize = file.size();
    refuseImpossibleChunks(parsed.chunks, path);
    refuseImpossibleBase(parsed, path);
    return parsed;
}

} // namespace

std::size_t versionChunkCount(std::size_t size)
{
    if (size < chunkThreshold)
        return 1;
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

Error damagedVersion(const std::string& path)
{
    return Error("The history version " + path + " is damaged and cannot be used.");
}

Error versionNotKept(std::string_view reason)
{
    return Error(std::string(reason) + " No version of the hosts file could be kept in its history, so the change " +
                 "was not made.");
}

namespace {

std::string hashText(std::size_t size, unsigned long crc)
{
    char hex[9];
    const auto end = std::to_chars(hex, hex + 8, crc, 16).ptr;
    return std::to_string(size) + "-" + std::string(8 - (end - hex), '0') + std::string(hex, end);
}

unsigned long crcOf(std::string_view bytes)
{
    return crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
}

} // namespace

std::string contentHash(std::string_view bytes) { return hashText(bytes.size(), crcOf(bytes)); }

std::optional<std::string> contentHashOfSplice(std::string_view before, std::string_view beforeHash, std::size_t from,
                                               std::size_t to, std::string_view inserted)
{
    const std::string size = std::to_string(before.size()) + "-";
    unsigned long whole = 0;
    const char* hexEnd = beforeHash.data() + beforeHash.size();
    if (from > to || to > before.size() || !beforeHash.starts_with(size) || beforeHash.size() != size.size() + 8 ||
        std::from_chars(beforeHash.data() + size.size(), hexEnd, whole, 16).ptr != hexEnd)
        return std::nullopt;
    // CRC-32 is linear: crc(A B) = crc(A) moved by the length of B, XOR
    // crc(B), which crc32_combine computes. So the CRC of the bytes after
    // the replacement follows from the whole text's and the bytes before.
    const auto length = [](std::size_t bytes) { return static_cast<z_off_t>(bytes); };
    const std::size_t tail = before.size() - to;
    const unsigned long front = crcOf(before.substr(0, from));
    const unsigned long frontAndRemoved = crc32_combine(front, crcOf(before.substr(from, to - from)),
                                                        length(to - from));
    const unsigned long rest = whole ^ crc32_combine(frontAndRemoved, 0, length(tail));
    const unsigned long frontAndInserted = crc32_combine(front, crcOf(inserted), length(inserted.size()));
    return hashText(from + inserted.size() + tail, crc32_combine(frontAndInserted, rest, length(tail)));
}

namespace {

constexpr std::size_t storedBlockLimit = 65535;

std::size_t storedStreamSize(std::size_t rawSize)
{
    const std::size_t blocks = std::max<std::size_t>(1, (rawSize + storedBlockLimit - 1) / storedBlockLimit);
    return 2 + rawSize + 5 * blocks + 4; // zlib header, blocks with their 5-byte heads, Adler-32
}

// Appends the zlib stream of `raw` in stored deflate blocks: a copy and a
// checksum, without the buffers and copies of zlib's own level 0.
void appendStoredStream(std::string& out, std::string_view raw)
{
    const auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); };
    put(0x78);
    put(0x01);
    std::size_t at = 0;
    do {
        const std::size_t size = std::min(storedBlockLimit, raw.size() - at);
        const auto length = static_cast<unsigned>(size);
        put(at + size == raw.size() ? 1 : 0);
        put(length);
        put(length >> 8);
        put(~length);
        put(~length >> 8);
        out.append(raw.substr(at, size));
        at += size;
    } while (at < raw.size());
    const uLong sum = adler32_z(adler32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    for (const int shift : {24, 16, 8, 0})
        put(static_cast<unsigned>(sum >> shift));
}

} // namespace

std::string encodeVersionHeader(const VersionInfo& info, const ChunkSizes& chunkSizes)
{
    std::string header(signature);
    appendField(header, "number", std::to_string(info.number));
    appendField(header, "time", std::to_string(info.time));
    appendField(header, "command", info.command);
    appendField(header, "lines-before", std::to_string(info.linesBefore));
    appendField(header, "lines-after", std::to_string(info.linesAfter));
    appendField(header, "hash", info.hash);
    appendField(header, "hash-after", info.hashAfter);
    appendField(header, "move", moveName(info.move));
    appendField(header, "stepped", std::to_string(info.stepped));
    if (info.base != 0)
        appendField(header, "base", std::to_string(info.base));
    if (info.editSize)
        appendField(header, "edit", std::to_string(*info.editSize));
    for (const auto& [raw, packed] : chunkSizes)
        appendField(header, "chunk", std::to_string(raw) + " " + std::to_string(packed));
    header.append("\n");
    return header;
}

ChunkSizes packBytesInPieces(std::string_view bytes, std::size_t pieceSize,
                             const std::function<void(std::size_t chunk, std::string_view piece)>& put)
{
    const std::size_t count = versionChunkCount(bytes.size());
    ChunkSizes sizes(count);
    std::vector<std::exception_ptr> failures(count);
    runSideBySide(count, [&](std::size_t i) {
        const std::string_view raw = chunkOf(bytes, count, i);
        try {
            const auto putPiece = [&put, i](std::string_view piece) { put(i, piece); };
            sizes[i] = {raw.size(), compressChunkInPieces(raw, pieceSize, putPiece)};
        } catch (...) {
            failures[i] = std::current_exception();
        }
    });
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
    return sizes;
}

std::string encodeVersion(const VersionInfo& info, std::string_view bytes, Packing packing,
                          const std::optional<LineEdit>& edit)
{
    VersionInfo described = info;
    described.base = 0;
    if (described.hash.empty())
        described.hash = contentHash(bytes);
    const std::string record = edit ? encodeLineEdit(*edit) : std::string();
    described.editSize = edit ? std::optional(record.size()) : std::nullopt;
    if (packing == Packing::Stored) {
        std::string file = encodeVersionHeader(described, {{bytes.size(), storedStreamSize(bytes.size())}});
        file.reserve(file.size() + storedStreamSize(bytes.size()) + record.size());
        appendStoredStream(file, bytes);
        return file.append(record);
    }
    const std::size_t count = versionChunkCount(bytes.size());
    std::vector<std::string> compressed(count);
    runSideBySide(count, [&](std::size_t i) { compressed[i] = compressChunk(chunkOf(bytes, count, i)); });
    ChunkSizes sizes;
    for (std::size_t i = 0; i < count; ++i)
        sizes.emplace_back(chunkOf(bytes, count, i).size(), compressed[i].size());
    std::string file = encodeVersionHeader(described, sizes);
    for (const std::string& packed : compressed)
        file.append(packed);
    return file.append(record);
}

std::string encodeVersionOnBase(const VersionInfo& info, const std::optional<LineEdit>& edit)
{
    VersionInfo described = info;
    const std::string record = edit ? encodeLineEdit(*edit) : std::string();
    described.editSize = edit ? std::optional(record.size()) : std::nullopt;
    return encodeVersionHeader(described, {}).append(record);
}

VersionInfo decodeVersionInfo(std::string_view file, const std::string& path) { return parse(file, path).info; }

bool isStoredVersion(std::string_view file, const std::string& path)
{
    // Stored zlib chunks are a little larger than their bytes; compressed
    // hosts text is far smaller.
    const auto chunks = parse(file, path).chunks;
    return !chunks.empty() &&
           std::ranges::all_of(chunks, [](const Chunk& chunk) { return chunk.compressedSize > chunk.rawSize; });
}

std::string decodeVersionBytes(std::string_view file, const std::string& path)
{
    const ParsedFile parsed = parse(file, path);
    if (parsed.chunks.empty())
        throw Error("The history version " + path + " keeps no bytes of its own.");
    chunkDataSize(parsed, path);
    std::size_t total = 0;
    std::size_t stored = 0;
    std::vector<std::size_t> rawStart, dataStart;
    for (const Chunk& chunk : parsed.chunks) {
        rawStart.push_back(total);
        dataStart.push_back(stored);
        total += chunk.rawSize;
        stored += chunk.compressedSize;
    }
    std::string bytes(total, '\0');
    std::vector<char> failed(parsed.chunks.size(), 0);
    runSideBySide(parsed.chunks.size(), [&](std::size_t i) {
        uLongf size = static_cast<uLongf>(parsed.chunks[i].rawSize);
        const int result = uncompress(reinterpret_cast<Bytef*>(bytes.data() + rawStart[i]), &size,
                                      reinterpret_cast<const Bytef*>(parsed.data.data() + dataStart[i]),
                                      static_cast<uLong>(parsed.chunks[i].compressedSize));
        failed[i] = result != Z_OK || size != parsed.chunks[i].rawSize;
    });
    if (std::ranges::find(failed, 1) != failed.end() || contentHash(bytes) != parsed.info.hash)
        damaged(path);
    return bytes;
}

std::optional<LineEdit> decodeVersionEdit(std::string_view file, const std::string& path)
{
    const ParsedFile parsed = parse(file, path);
    if (!parsed.info.editSize)
        return std::nullopt;
    auto edit = decodeLineEdit(parsed.data.substr(chunkDataSize(parsed, path)));
    if (!edit)
        damaged(path);
    return edit;
}

} // namespace vendrel

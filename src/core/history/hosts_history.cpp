#include "core/history/hosts_history.h"

#include "core/error.h"
#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/folder_writer.h"
#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <thread>

namespace vendrel {
namespace {

constexpr std::string_view versionSuffix = ".version";
// A version's header is far shorter than this; it is all a listing reads.
constexpr std::size_t headerReadSize = 16 * 1024;

std::string versionFileName(std::uint64_t number)
{
    std::string digits = std::to_string(number);
    return std::string(digits.size() < 8 ? 8 - digits.size() : 0, '0') + digits + std::string(versionSuffix);
}

// Far more versions than a history ever numbers: a planted name beyond it
// could otherwise make the next number wrap round to 0.
constexpr std::uint64_t maximumVersionNumber = 999'999'999'999;

// The number of a version file's name, only for a name the history writes.
std::optional<std::uint64_t> numberOfFileName(const std::string& name)
{
    if (!name.ends_with(versionSuffix))
        return std::nullopt;
    std::uint64_t number = 0;
    const char* end = name.data() + name.size() - versionSuffix.size();
    const auto [stop, error] = std::from_chars(name.data(), end, number);
    if (error != std::errc() || stop != end || number == 0 || number > maximumVersionNumber ||
        versionFileName(number) != name)
        return std::nullopt;
    return number;
}

// Only a regular file is read: a named pipe planted in the folder would
// otherwise hold the listing, and the lock, forever.
std::string readHeader(const std::string& path)
{
    try {
        return platform::readRegularFileStart(path, headerReadSize);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

// Versions are copies of the hosts file, which may be private: they are
// their owner's alone, whatever the hosts file grants.
const platform::NewFileDetails privateCopy = platform::ownerOnlyFile();

void erase(std::vector<std::uint64_t>& numbers, std::uint64_t number) { std::erase(numbers, number); }

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Edits of the versions on one whole version add up to at most this much
// of the text, so that restoring one makes no more of them than of a copy.
std::size_t chainEditBudget(std::size_t textSize) { return textSize / 4 + 64 * 1024; }

} // namespace

HistoryBounds historyBoundsFor(std::uint64_t fileSize)
{
    return {200, std::max<std::uint64_t>(std::uint64_t{64} << 20, 10 * fileSize)};
}

std::string HostsHistory::draftedVersionFile(const VersionInfo& info, const PackedVersion& packed) const
{
    std::size_t total = 0;
    for (const auto& [raw, size] : packed.chunks)
        total += size;
    std::string file = encodeVersionHeader(info, packed.chunks);
    const std::size_t headerSize = file.size();
    file.reserve(headerSize + total);
    for (const std::vector<std::string>& names : packed.pieces)
        for (const std::string& piece : names)
            file.append(readWholeFile(platform::joinPath(folder_, piece)));
    if (file.size() != headerSize + total)
        throw versionNotKept("The drafts of a version in " + folder_ + " were changed before it was kept.");
    return file;
}

std::string HostsHistory::versionPath(std::uint64_t number) const
{
    return platform::joinPath(folder_, versionFileName(number));
}

std::vector<std::uint64_t> HostsHistory::numbers() const
{
    std::vector<std::uint64_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error))
        if (const auto number = numberOfFileName(entry.path().filename().string()))
            found.push_back(*number);
    std::ranges::sort(found);
    return found;
}

HostsHistory::Lists HostsHistory::lists() const
{
    Lists lists;
    for (const VersionInfo& version : versions()) {
        switch (version.move) {
        case HistoryMove::Change:
            lists.redo.clear();
            lists.undo.push_back(version.number);
            break;
        case HistoryMove::Undo:
            erase(lists.undo, version.stepped);
            lists.redo.push_back(version.number);
            break;
        case HistoryMove::Redo:
            erase(lists.redo, version.stepped);
            lists.undo.push_back(version.number);
            break;
        case HistoryMove::Aside:
            break;
        }
    }
    return lists;
}

VersionInfo HostsHistory::nextVersion(std::string_view command, HistoryMove move, std::uint64_t stepped) const
{
    createPrivateFolder(folder_);
    const std::vector<std::uint64_t> existing = numbers();
    VersionInfo info;
    info.number = existing.empty() ? 1 : existing.back() + 1;
    info.time = now();
    info.command = std::string(command);
    info.move = move;
    info.stepped = stepped;
    return info;
}

VersionInfo HostsHistory::store(VersionInfo info, const std::string& file) const
{
    try {
        platform::writeFileInFolder(platform::Folder(folder_), versionFileName(info.number), file, privateCopy);
        info.diskSize = file.size();
    } catch (const platform::FileError& failure) {
        removeFolderIfEmpty(folder_);
        throw versionNotKept(failure.what());
    }
    dropBeyondBounds(info.number);
    return info;
}

VersionInfo HostsHistory::keep(std::string_view command, std::string_view before, std::string_view after,
                               HistoryMove move, std::uint64_t stepped, Packing packing,
                               const std::optional<LineEdit>& edit)
{
    VersionInfo info = nextVersion(command, move, stepped);
    {
        // Both texts are counted and fingerprinted side by side.
        const std::jthread afterSide([&] {
            info.linesAfter = countLines(after);
            info.hashAfter = contentHash(after);
        });
        info.linesBefore = countLines(before);
        info.hash = contentHash(before);
    }
    return store(info, encodeVersion(info, before, packing, edit));
}

std::optional<VersionInfo> HostsHistory::baseFor(const std::string& fingerprint, std::size_t textSize) const
{
    const std::vector<std::uint64_t> all = numbers();
    if (all.empty() || fingerprint.empty())
        return std::nullopt;
    try {
        const VersionInfo newest = info(all.back());
        if (!newest.editSize || newest.hashAfter != fingerprint)
            return std::nullopt;
        std::size_t depth = 0;
        std::size_t editBytes = *newest.editSize;
        for (VersionInfo at = newest; at.base != 0; ++depth) {
            if (depth + 1 >= longestVersionChain)
                return std::nullopt;
            at = info(at.base);
            editBytes += at.editSize.value_or(0);
        }
        if (editBytes > chainEditBudget(textSize))
            return std::nullopt;
        return newest;
    } catch (const Error&) {
        return std::nullopt; // a broken chain is built on no further
    }
}

VersionInfo HostsHistory::keepOnBase(std::string_view command, const VersionInfo& base, std::string_view after,
                                     HistoryMove move, std::uint64_t stepped, const std::optional<LineEdit>& edit,
                                     const std::optional<std::string>& afterHash)
{
    VersionInfo info = nextVersion(command, move, stepped);
    info.base = base.number;
    info.hash = base.hashAfter;
    info.linesBefore = base.linesAfter;
    if (afterHash && edit) {
        // The lines the edit took away and put in: no pass over the text.
        info.hashAfter = *afterHash;
        info.linesAfter = base.linesAfter;
        for (const LineSplice& splice : edit->splices)
            info.linesAfter = info.linesAfter + linesIn(splice.lines) - std::min(splice.removed, info.linesAfter);
    } else if (afterHash) {
        info.hashAfter = *afterHash;
        info.linesAfter = countLines(after);
    } else {
        const std::jthread counter([&] { info.linesAfter = countLines(after); });
        info.hashAfter = contentHash(after);
    }
    return store(info, encodeVersionOnBase(info, edit));
}

VersionInfo HostsHistory::keep(std::string_view command, const PackedVersion& before, std::string_view after,
                               HistoryMove move, std::uint64_t stepped)
{
    VersionInfo info = nextVersion(command, move, stepped);
    info.linesBefore = before.lines;
    info.hash = before.hash;
    {
        const std::jthread counter([&] { info.linesAfter = countLines(after); });
        info.hashAfter = contentHash(after);
    }
    return store(info, draftedVersionFile(info, before));
}

void HostsHistory::compact(std::uint64_t number) const
{
    const std::string path = versionPath(number);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return;
    const std::string file = readWholeFile(path);
    if (!isStoredVersion(file, path))
        return;
    const std::string compressed = encodeVersion(decodeVersionInfo(file, path), decodeVersionBytes(file, path),
                                                 Packing::Compressed, decodeVersionEdit(file, path));
    platform::writeFileInFolder(platform::Folder(folder_), versionFileName(number), compressed, privateCopy);
}

void HostsHistory::removeLeftovers(bool keepDrafts) const
{
    if (!keepDrafts)
        removeStaleDrafts(folder_);
    platform::removeStaleTemporariesIn(folder_);
}

void HostsHistory::withdraw(std::uint64_t number) const
{
    std::error_code error;
    std::filesystem::remove(versionPath(number), error);
    removeFolderIfEmpty(folder_);
}

bool HostsHistory::dropChangeNeverMade(const std::string& fingerprint) const
{
    const std::vector<std::uint64_t> all = numbers();
    if (all.empty() || fingerprint.empty())
        return false;
    try {
        const VersionInfo newest = info(all.back());
        if (newest.hash != fingerprint || newest.hashAfter == fingerprint)
            return false;
    } catch (const Error&) {
        return false; // not a version this history can speak for
    }
    withdraw(all.back());
    return true;
}

void HostsHistory::dropBeyondBounds(std::uint64_t newest) const
{
    std::vector<std::uint64_t> kept = numbers();
    std::uint64_t total = 0;
    std::vector<std::uint64_t> sizes;
    for (std::uint64_t number : kept) {
        std::error_code error;
        const std::uint64_t size = std::filesystem::file_size(versionPath(number), error);
        sizes.push_back(error ? 0 : size);
        total += sizes.back();
    }
    std::size_t drop = 0;
    while (drop < kept.size() && kept[drop] != newest &&
           (kept.size() - drop > bounds_.versions || total > bounds_.bytes))
        total -= sizes[drop++];
    if (drop == 0)
        return;
    // The versions built on a dropped one go with it, up to the next whole
    // one; when the newest is built on it, the first one left is made whole.
    const auto baseOf = [this](std::uint64_t number) {
        try {
            return info(number).base;
        } catch (const Error&) {
            return std::uint64_t{0}; // unreadable, so built on nothing
        }
    };
    std::size_t next = drop;
    while (next + 1 < kept.size() && baseOf(kept[next]) != 0)
        ++next;
    if (baseOf(kept[next]) == 0) {
        drop = next;
    } else if (baseOf(kept[drop]) != 0) {
        try {
            makeWhole(info(kept[drop]), bytes(kept[drop]));
        } catch (const std::exception&) {
            return; // over the bounds for now, rather than without a way back
        }
    }
    for (std::size_t i = 0; i < drop; ++i) {
        std::error_code error;
        std::filesystem::remove(versionPath(kept[i]), error);
    }
}

std::vector<VersionInfo> HostsHistory::chainTo(std::uint64_t number) const
{
    std::vector<VersionInfo> chain{info(number)};
    while (chain.back().base != 0) {
        if (chain.size() > longestVersionChain + 1)
            throw damagedVersion(versionPath(number));
        try {
            chain.push_back(info(chain.back().base));
        } catch (const Error&) {
            throw Error("Version " + std::to_string(number) + " of the history " + folder_ +
                        " cannot be restored: version " + std::to_string(chain.back().base) +
                        ", which it is built from, is gone or damaged.");
        }
    }
    std::ranges::reverse(chain);
    return chain;
}

void HostsHistory::makeWhole(const VersionInfo& info, const std::string& bytes) const
{
    const std::string whole = encodeVersion(info, bytes, Packing::Compressed, edit(info.number));
    platform::writeFileInFolder(platform::Folder(folder_), versionFileName(info.number), whole, privateCopy);
}

std::vector<VersionInfo> HostsHistory::versions() const
{
    std::vector<VersionInfo> all;
    for (std::uint64_t number : numbers()) {
        try {
            all.push_back(info(number));
        } catch (const Error&) {
        }
    }
    return all;
}

VersionInfo HostsHistory::info(std::uint64_t number) const
{
    const std::string path = versionPath(number);
    VersionInfo result = decodeVersionInfo(readHeader(path), path);
    std::error_code error;
    result.diskSize = std::filesystem::file_size(path, error);
    return result;
}

std::string HostsHistory::bytes(std::uint64_t number) const
{
    const std::string path = versionPath(number);
    if (!std::filesystem::exists(path))
        throw Error("Version " + std::to_string(number) + " is not in the history " + folder_ + ".");
    const std::vector<VersionInfo> chain = chainTo(number);
    std::string text;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::string at = versionPath(chain[i].number);
        const std::string file = readWholeFile(at);
        if (i == 0)
            text = decodeVersionBytes(file, at);
        if (i + 1 == chain.size())
            break;
        const std::optional<LineEdit> edit = decodeVersionEdit(file, at);
        std::optional<std::string> next = edit ? applyLineEdit(std::move(text), *edit) : std::nullopt;
        if (!next)
            throw damagedVersion(versionPath(chain[i + 1].number));
        text = std::move(*next);
    }
    // Only the last text is proven: any step that went wrong shows in it.
    if (chain.size() > 1 && contentHash(text) != chain.back().hash)
        throw damagedVersion(path);
    return text;
}

std::optional<LineEdit> HostsHistory::edit(std::uint64_t number) const
{
    const std::string path = versionPath(number);
    return decodeVersionEdit(readWholeFile(path), path);
}

std::optional<std::uint64_t> HostsHistory::nextUndo() const
{
    const std::vector<std::uint64_t> undo = lists().undo;
    return undo.empty() ? std::nullopt : std::optional(undo.back());
}

std::optional<std::uint64_t> HostsHistory::nextRedo() const
{
    const std::vector<std::uint64_t> redo = lists().redo;
    return redo.empty() ? std::nullopt : std::optional(redo.back());
}

} // namespace vendrel

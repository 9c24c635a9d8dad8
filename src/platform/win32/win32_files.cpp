#include "platform/win32/win32_files.h"

#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <algorithm>
#include <new>

namespace platform::win32 {

std::string reason(DWORD error)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

void fail(const std::string& what, const std::string& path, DWORD error)
{
    throw FileError(what + " " + path + ": " + reason(error));
}

namespace {

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

} // namespace

std::string folderOf(const std::string& path)
{
    const auto separator = lastSeparator(path);
    if (separator == std::string::npos)
        return ".";
    // "C:\" stays the root, not the drive-relative "C:".
    if (separator == 0 || (separator == 2 && path[1] == ':'))
        return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

std::string nameOf(const std::string& path)
{
    const auto separator = lastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

UniqueHandle openForReading(const std::string& path)
{
    constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return UniqueHandle(
        ::CreateFileA(path.c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool writeAll(HANDLE file, std::string_view bytes, write_faults::Step step)
{
    // Large texts go in pieces, so that a fault seam can stop a write midway.
    constexpr std::size_t piece = std::size_t{1} << 20;
    std::uint64_t offset = 0;
    while (!bytes.empty()) {
        if (const int injected = write_faults::before(step, offset)) {
            ::SetLastError(static_cast<DWORD>(injected));
            return false;
        }
        const DWORD size = static_cast<DWORD>(std::min(bytes.size(), piece));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), size, &written, nullptr))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
        offset += written;
    }
    return true;
}

void refuseLargerThan(const std::string& path, std::size_t limit)
{
    throw FileError("Cannot read file " + path + ": it is larger than " + sizeInWords(limit));
}

namespace {

void readToEnd(HANDLE file, std::string& bytes, std::size_t limit, const std::string& path)
{
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() >= limit)
                break;
            bytes.resize(std::min(limit, std::max<std::size_t>(bytes.size() * 2, 65536)));
        }
        const DWORD room = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + filled, room, &got, nullptr))
            fail("Cannot read file", path, ::GetLastError());
        if (got == 0) {
            bytes.resize(filled);
            return;
        }
        filled += got;
    }
    // At the limit: one more byte means the file is larger than allowed.
    char probe = 0;
    DWORD got = 0;
    if (::ReadFile(file, &probe, 1, &got, nullptr) && got > 0)
        refuseLargerThan(path, limit);
}

} // namespace

std::string readOpenFile(HANDLE file, std::size_t limit, const std::string& path)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        fail("Cannot read file", path, ::GetLastError());
    const auto knownSize = static_cast<std::uint64_t>(size.QuadPart);
    if (knownSize > limit)
        refuseLargerThan(path, limit);
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(knownSize));
        readToEnd(file, bytes, limit, path);
    } catch (const std::bad_alloc&) {
        throw FileError("Not enough memory to read file " + path + " (" + std::to_string(knownSize) + " bytes)");
    }
    return bytes;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    return {info.dwVolumeSerialNumber, index, size, unixNanosecondsOf(info.ftLastWriteTime)};
}

bool identityOf(HANDLE file, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    identity = identityOf(info);
    return true;
}

namespace {

// File times count 100-nanosecond steps from 1601-01-01 UTC.
constexpr std::int64_t ticksPerSecond = 10000000;
constexpr std::int64_t ticksTo1970 = 116444736000000000;

} // namespace

FILETIME fileTimeOf(std::int64_t unixSeconds)
{
    const auto ticks = static_cast<std::uint64_t>(unixSeconds * ticksPerSecond + ticksTo1970);
    return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

std::int64_t unixNanosecondsOf(const FILETIME& time)
{
    const auto ticks = static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
    return (ticks - ticksTo1970) * 100;
}

} // namespace platform::win32

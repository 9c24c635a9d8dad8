#include "unzip_test_support.h"

#include "core/error.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace unzip_test {
namespace {

namespace fs = std::filesystem;

void put(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t crcOf(const std::string& data)
{
    return static_cast<std::uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// The fields local header and directory entry share, from "version needed"
// on; the entry's compressed size may differ.
std::string commonFields(const HandMadeMember& member, std::uint64_t compressedSize)
{
    std::string out;
    put(out, 20, 2); // version needed
    put(out, 0, 2);  // flags
    put(out, member.method, 2);
    put(out, 0x5A31, 2); // 11:17:34
    put(out, 0x56B1, 2); // 2023-05-17
    put(out, crcOf(member.data), 4);
    put(out, compressedSize, 4);
    put(out, member.declaredSize.value_or(member.data.size()), 4);
    put(out, member.name.size(), 2);
    put(out, 0, 2); // extra field
    return out;
}

} // namespace

std::string dataPath(const std::string& relative) { return std::string(UNZIP_TEST_DATA) + "/" + relative; }

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TempFolder::TempFolder() { path_ = testing_support::createTemporaryFolder("vendrel-unzip-test-"); }

TempFolder::~TempFolder()
{
    std::error_code ignored;
    // Read-only files written by the tests must not stop the clean-up.
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::optional<std::string> errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const vendrel::Error& error) {
        return std::string(error.what());
    } catch (const std::exception& other) {
        ADD_FAILURE() << "not a vendrel::Error: " << other.what();
        return std::string(other.what());
    }
    return std::nullopt;
}

std::string handMadeArchive(const std::vector<HandMadeMember>& members, bool zip64End)
{
    std::string archive;
    std::string directory;
    for (const HandMadeMember& member : members) {
        put(directory, 0x02014b50, 4);
        put(directory, 0x031E, 2); // made by Unix, 3.0
        directory += commonFields(member, member.declaredCompressedSize.value_or(member.data.size()));
        put(directory, 0, 2 + 2 + 2);      // comment, disk, internal attributes
        put(directory, 0100644u << 16, 4); // external attributes
        put(directory, member.headerOffset.value_or(archive.size()), 4);
        directory += member.name;
        put(archive, 0x04034b50, 4);
        archive += commonFields(member, member.data.size()) + member.name + member.data;
    }
    const std::uint64_t directoryOffset = archive.size();
    archive += directory;
    const std::uint64_t count = members.size();
    if (zip64End) {
        const std::uint64_t recordAt = archive.size();
        put(archive, 0x06064b50, 4);
        put(archive, 44, 8);
        put(archive, 0x2D2D, 4); // made by, needed: 4.5
        put(archive, 0, 8);      // disks
        put(archive, count, 8);
        put(archive, count, 8);
        put(archive, directory.size(), 8);
        put(archive, directoryOffset, 8);
        put(archive, 0x07064b50, 4);
        put(archive, 0, 4);
        put(archive, recordAt, 8);
        put(archive, 1, 4);
    }
    const std::uint64_t shownCount = zip64End ? 0xFFFF : std::min<std::uint64_t>(count, 0xFFFF);
    put(archive, 0x06054b50, 4);
    put(archive, 0, 4); // disks
    put(archive, shownCount, 2);
    put(archive, shownCount, 2);
    put(archive, directory.size(), 4);
    put(archive, directoryOffset, 4);
    put(archive, 0, 2); // comment
    return archive;
}

} // namespace unzip_test

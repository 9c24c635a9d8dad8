// The limits that keep an archive from being unsafe to expand, each just
// inside and just outside, on archives put together byte by byte.

#include "core/download/unzip/zip_archive.h"

#include "unzip_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using unzip_test::errorOf;
using unzip_test::HandMadeMember;

constexpr std::uint64_t mebibyte = 1024 * 1024;

struct LimitCase {
    const char* name;
    std::vector<HandMadeMember> members;
    const char* refusal; // part of the message; empty when the archive opens
    bool zip64End = false;
};

class Limit : public testing::TestWithParam<LimitCase> {};

TEST_P(Limit, RefusesOnlyBeyondIt)
{
    const std::string bytes = unzip_test::handMadeArchive(GetParam().members, GetParam().zip64End);
    const auto error = errorOf([&] { vendrel::ZipArchive::fromBytes(bytes, "made.zip"); });
    if (std::string(GetParam().refusal).empty()) {
        EXPECT_FALSE(error) << *error;
    } else {
        ASSERT_TRUE(error);
        EXPECT_NE(error->find("Cannot unpack made.zip: "), std::string::npos) << *error;
        EXPECT_NE(error->find(GetParam().refusal), std::string::npos) << *error;
    }
}

std::vector<HandMadeMember> manyMembers(std::size_t count)
{
    std::vector<HandMadeMember> members(count);
    for (std::size_t index = 0; index < count; ++index)
        members[index].name = std::to_string(index);
    return members;
}

// A deflated member whose `compressed` bytes claim to unpack to `unpacked`.
HandMadeMember claiming(std::uint64_t compressed, std::uint64_t unpacked)
{
    return {"hosts", std::string(compressed, 'z'), unpacked, 8};
}

// `count` directory entries that all point at the local header of the first,
// which claims to unpack to nearly the largest size a member may have.
std::vector<HandMadeMember> sharingOneMember(std::size_t count)
{
    const HandMadeMember first = claiming(255 * mebibyte / 1000 + 1, 255 * mebibyte);
    HandMadeMember pointer = first;
    pointer.data.clear();
    pointer.headerOffset = 0;
    pointer.declaredCompressedSize = first.data.size();
    std::vector<HandMadeMember> members(count, pointer);
    members[0] = first;
    return members;
}

// A local header with a one-letter name and two bytes of data takes 33 bytes.
constexpr std::uint64_t smallMemberBytes = 30 + 1 + 2;

// Member "a" whose stored data are the local header and data of member "b",
// and "b" pointing there, inside them.
std::vector<HandMadeMember> oneInsideTheOther()
{
    const std::string inner = unzip_test::handMadeArchive({{"b", "xy"}}).substr(0, smallMemberBytes);
    return {{"a", inner}, {"b", "xy", {}, 0, 30 + 1}};
}

const HandMadeMember largest = claiming(256 * mebibyte / 1000 + 1, 256 * mebibyte);

const std::string notAFileName = "has a name that is not a file name";
const std::string overlapping = "members \"a\" and \"b\" overlap in the file";

const LimitCase limitCases[] = {
    {"EmptyName", {{"", "x"}}, notAFileName.c_str()},
    {"DotName", {{".", "x"}}, notAFileName.c_str()},
    {"DotDotName", {{"..", "x"}}, notAFileName.c_str()},
    {"DotDotInFolder", {{"lists/..", "x"}}, notAFileName.c_str()},
    {"DotDotAfterBackslash", {{"lists\\..", "x"}}, notAFileName.c_str()},
    {"FolderEntry", {{"lists/", ""}, {"lists/hosts", "x"}}, ""},
    {"DotsInsideAName", {{"..hosts..", "x"}}, ""},
    {"SizeAtLimit", {largest}, ""},
    {"SizeOverLimit", {claiming(256 * mebibyte / 1000 + 1, 256 * mebibyte + 1)}, "would unpack to more than 256 MiB"},
    {"RatioAtLimit", {claiming(10, 10000)}, ""},
    {"RatioOverLimit", {claiming(10, 10001)}, "compression ratio over 1000"},
    {"NothingClaimingSomething", {claiming(0, 1)}, "compression ratio over 1000"},
    {"MembersAtLimit", manyMembers(65535), ""},
    {"MembersOverLimit", manyMembers(65536), "more than 65535 members", true},
    {"TotalAtLimit", {largest, largest}, ""},
    {"TotalOverLimit", {largest, largest, {"c", "x"}}, "its members would unpack to more than 512 MiB in all"},
    {"EntriesAtOneHeader", {{"a", "xy"}, {"b", "xy", {}, 0, 0}}, overlapping.c_str()},
    {"DataIntoNextHeader", {{"a", "xy", {}, 0, {}, 3}, {"b", "xy"}}, overlapping.c_str()},
    {"HeaderInsideData", oneInsideTheOther(), overlapping.c_str()},
    {"DataIntoDirectory", {{"a", "xy"}, {"b", "xy", {}, 0, {}, 3}}, "member \"b\" overlaps the archive's directory"},
    {"DirectoryOrderNotFileOrder", {{"a", "xy", {}, 0, smallMemberBytes}, {"b", "xy", {}, 0, 0}}, ""},
    {"ThousandsOfEntriesAtOneMember", sharingOneMember(65535), "overlap in the file"},
};

INSTANTIATE_TEST_SUITE_P(Archives, Limit, testing::ValuesIn(limitCases),
                         [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

} // namespace

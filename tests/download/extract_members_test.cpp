// Selecting a member by name and writing it into a folder: what is written
// where, which of several matches, what an existing file or link becomes,
// and that failures write nothing.

#include "core/download/unzip/extract_members.h"

#include "unzip_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using unzip_test::dataPath;
using unzip_test::errorOf;
using unzip_test::namesIn;
using unzip_test::readFile;
using unzip_test::TempFolder;

const std::string sample = readFile(dataPath("fixtures/hosts-sample"));

struct SelectionCase {
    const char* name;
    const char* stored;
    const char* requested;
    bool selected;
};

class Selection : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, ComparesTheFileNamePartIgnoringAsciiCase)
{
    const std::vector<vendrel::ZipMember> members = {{.name = GetParam().stored}};
    EXPECT_EQ(vendrel::selectedMembers(members, GetParam().requested).size(), GetParam().selected ? 1u : 0u);
}

const SelectionCase selectionCases[] = {
    {"SameName", "HOSTS", "HOSTS", true},
    {"OtherCase", "hosts", "HOSTS", true},
    {"FolderIgnored", "dir/HOSTS", "HOSTS", true},
    {"BackslashFolderIgnored", "dir\\Hosts", "hosts", true},
    {"DeepFolderIgnored", "a/b\\c/hosts", "hosts", true},
    {"LongerName", "HOSTS.txt", "HOSTS", false},
    {"ShorterName", "HOST", "HOSTS", false},
    {"NameAsFolder", "HOSTS/list", "HOSTS", false},
    {"FolderEntry", "HOSTS/", "HOSTS", false},
    {"NonAsciiCaseKept", "h\xC3\x96sts", "h\xC3\xB6sts", false},
};

INSTANTIATE_TEST_SUITE_P(Names, Selection, testing::ValuesIn(selectionCases),
                         [](const testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

// One extraction into the folder a/b of a temporary folder, which already
// holds an old file named as the request.
struct ExtractCase {
    const char* name;
    const char* archive; // under tests/download/data
    const char* request;
    std::vector<std::string> written;           // the name of the file written, if any
    const char* refusal = "";                   // part of the message when it fails
    const char* list = "fixtures/hosts-sample"; // what the written file holds
};

class Extraction : public testing::TestWithParam<ExtractCase> {};

TEST_P(Extraction, WritesExactlyTheSelectedMembers)
{
    const ExtractCase& row = GetParam();
    TempFolder temporary;
    const std::string base = temporary.file("a/b");
    fs::create_directories(base);
    std::FILE* old = std::fopen((base + "/" + row.request).c_str(), "wb");
    std::fputs("old list\n", old);
    std::fclose(old);

    std::vector<std::string> expected;
    for (const std::string& name : row.written)
        expected.push_back(base + "/" + name);
    const std::string archive = dataPath(row.archive);
    const auto error = errorOf(
        [&] { EXPECT_EQ(vendrel::extractMembers(archive, row.request, base).writtenFiles, expected); });
    if (*row.refusal) {
        ASSERT_TRUE(error);
        EXPECT_NE(error->find(archive), std::string::npos) << *error;
        EXPECT_NE(error->find(row.refusal), std::string::npos) << *error;
    } else {
        ASSERT_FALSE(error) << *error;
    }
    for (const std::string& path : expected)
        EXPECT_EQ(readFile(path), readFile(dataPath(row.list))) << path;
    if (expected.empty()) {
        EXPECT_EQ(readFile(base + "/" + row.request), "old list\n");
    }
    EXPECT_EQ(namesIn(temporary.path()), std::vector<std::string>{"a"}); // nothing written beside the folder
    std::vector<std::string> names = row.written;
    names.push_back(row.request);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(namesIn(base), names); // and no temporary file left in it
}

const ExtractCase extractCases[] = {
    {"StoredCaseKept", "fixtures/deflated.zip", "HOSTS", {"hosts"}},
    {"FolderAndSimilarNamesIgnored", "fixtures/in-folder.zip", "hosts", {"hosts"}},
    {"SeveralMatchesFirstTaken", "fixtures/two-matching.zip", "hosts", {"hosts"}, "", "fixtures/hosts-older"},
    {"ExistingFileOverwritten", "fixtures/stored-upper.zip", "HOSTS", {"HOSTS"}},
    {"ClimbingNameStaysInside", "fixtures/climbing-names.zip", "hosts", {"hosts"}},
    {"NothingSelected", "fixtures/deflated.zip", "hosts.txt", {}},
    {"CrcMismatch", "fixtures/crc-mismatch.zip", "hosts", {}, "fails its CRC-32 check"},
    {"UnsupportedMethod", "fixtures/7z-bzip2.zip", "hosts", {}, "is not supported"},
    {"UnsafeArchive", "fixtures/dot-dot.zip", "hosts", {}, "not a file name"},
};

INSTANTIATE_TEST_SUITE_P(Archives, Extraction, testing::ValuesIn(extractCases),
                         [](const testing::TestParamInfo<ExtractCase>& info) { return info.param.name; });

class Extract : public testing::Test {
protected:
    TempFolder folder;

    vendrel::ExtractResult extract(const std::string& fixture, const std::string& member)
    {
        return vendrel::extractMembers(dataPath(fixture), member, folder.path());
    }
};

TEST_F(Extract, SaysWhichOfSeveralMatchesItTook)
{
    const std::string archive = dataPath("fixtures/two-matching.zip");
    EXPECT_EQ(vendrel::extractMembers(archive, "HOSTS", folder.path()).note,
              archive + " holds 2 files named HOSTS; the first, \"old/hosts\", was unpacked");
    EXPECT_EQ(extract("fixtures/in-folder.zip", "hosts").note, "");
}

TEST_F(Extract, LeavesTheMatchesAfterTheFirstUnpacked)
{
    std::string bytes = unzip_test::handMadeArchive(
        {{"a/hosts", "first\n"}, {"b/HOSTS", "second\n"}, {"hosts", "third\n"}});
    bytes.replace(bytes.find("third\n"), 6, "thirt\n"); // fails its CRC-32 check
    const auto archive = vendrel::ZipArchive::fromBytes(bytes, "three.zip");
    const vendrel::ExtractResult result = vendrel::extractMembers(archive, "hosts", folder.path());
    EXPECT_EQ(result.writtenFiles, std::vector<std::string>{folder.file("hosts")});
    EXPECT_EQ(result.note, "three.zip holds 3 files named hosts; the first, \"a/hosts\", was unpacked");
    EXPECT_EQ(readFile(folder.file("hosts")), "first\n");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"hosts"});
}

TEST_F(Extract, RefusesARequestThatIsNotAFileName)
{
    for (const char* request : {"", ".", "..", "lists/hosts", "lists\\hosts", "c:hosts"}) {
        const auto error = errorOf([&] { extract("fixtures/deflated.zip", request); });
        ASSERT_TRUE(error) << request;
        EXPECT_NE(error->find("is not a file name"), std::string::npos) << *error;
    }
    EXPECT_TRUE(namesIn(folder.path()).empty());
}

TEST_F(Extract, ReportsAFolderItCannotWriteInto)
{
    const std::string missing = folder.file("missing");
    const auto error = errorOf([&] { vendrel::extractMembers(dataPath("fixtures/deflated.zip"), "hosts", missing); });
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(dataPath("fixtures/deflated.zip")), std::string::npos) << *error;
    EXPECT_NE(error->find(missing), std::string::npos) << *error;
}

// The local time a file was last modified, as "YYYY-MM-DD hh:mm:ss".
std::string localModificationTime(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "missing";
    std::tm local{};
    ::localtime_r(&info.st_mtime, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool writable(const std::string& path)
{
    const fs::perms bits = fs::status(path).permissions();
    return (bits & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) != fs::perms::none;
}

TEST_F(Extract, CarriesOverDosTimeAndReadOnlyAttribute)
{
    extract("fixtures/read-only.zip", "hosts"); // made on DOS, attributes 0x21
    EXPECT_EQ(localModificationTime(folder.file("hosts")), "2021-03-14 15:09:26");
    EXPECT_FALSE(writable(folder.file("hosts")));

    TempFolder other;
    vendrel::extractMembers(dataPath("fixtures/deflated.zip"), "hosts", other.path()); // made on Unix
    EXPECT_EQ(localModificationTime(other.file("hosts")), "2023-05-17 10:42:30");
    EXPECT_TRUE(writable(other.file("hosts")));
}

TEST_F(Extract, ReplacesALinkAtTheMemberNameInsteadOfWritingThroughIt)
{
    TempFolder outside;
    const std::string victim = outside.file("victim");
    std::FILE* file = std::fopen(victim.c_str(), "wb");
    std::fputs("outside\n", file);
    std::fclose(file);
    fs::create_symlink(victim, folder.file("hosts"));

    extract("fixtures/deflated.zip", "hosts");
    EXPECT_EQ(readFile(victim), "outside\n");
    EXPECT_EQ(fs::symlink_status(folder.file("hosts")).type(), fs::file_type::regular);
    EXPECT_EQ(readFile(folder.file("hosts")), sample);
}

TEST_F(Extract, WritesIntoTheFolderALinkedFolderPathLeadsTo)
{
    fs::create_directory(folder.file("real"));
    fs::create_directory_symlink(folder.file("real"), folder.file("linked"));
    const vendrel::ExtractResult result = vendrel::extractMembers(dataPath("fixtures/deflated.zip"), "hosts",
                                                                  folder.file("linked"));
    EXPECT_EQ(result.writtenFiles, std::vector<std::string>{folder.file("linked") + "/hosts"});
    EXPECT_EQ(readFile(folder.file("real/hosts")), sample);
    EXPECT_EQ(namesIn(folder.file("real")), std::vector<std::string>{"hosts"});
}

} // namespace

// Opening and unpacking archives written by many tools, and refusing the
// broken, unsupported and unsafe ones with a message naming the archive.

#include "core/download/unzip/zip_archive.h"

#include "unzip_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using unzip_test::dataPath;
using unzip_test::errorOf;
using unzip_test::readFile;

enum class Outcome {
    Unpacks,        // opens, and every member unpacks with its CRC-32 matching
    ArchiveRefused, // opening fails with the message
    MemberRefused,  // opens, but a member fails with the message
};

struct ArchiveCase {
    const char* name; // what the row catches
    const char* file; // under tests/download/data
    Outcome outcome;
    const char* detail; // part of the expected message; for Unpacks, the member holding the sample list
};

std::string firstMemberError(const vendrel::ZipArchive& archive)
{
    for (std::size_t index = 0; index < archive.members().size(); ++index)
        if (const auto error = errorOf([&] { archive.extract(index); }))
            return *error;
    return {};
}

class CommittedArchive : public testing::TestWithParam<ArchiveCase> {};

TEST_P(CommittedArchive, HasItsOutcome)
{
    const ArchiveCase& row = GetParam();
    const std::string path = dataPath(row.file);
    std::optional<vendrel::ZipArchive> archive;
    const auto openError = errorOf([&] { archive.emplace(vendrel::ZipArchive::fromFile(path)); });
    if (row.outcome == Outcome::ArchiveRefused) {
        ASSERT_TRUE(openError) << "opened";
        EXPECT_NE(openError->find(path), std::string::npos) << *openError;
        EXPECT_NE(openError->find(row.detail), std::string::npos) << *openError;
        return;
    }
    ASSERT_FALSE(openError) << *openError;
    const std::string memberError = firstMemberError(*archive);
    if (row.outcome == Outcome::MemberRefused) {
        EXPECT_NE(memberError.find(path), std::string::npos) << memberError;
        EXPECT_NE(memberError.find(row.detail), std::string::npos) << memberError;
        return;
    }
    EXPECT_EQ(memberError, "");
    // Archives made here carry the sample list under the named member.
    for (std::size_t index = 0; index < archive->members().size(); ++index) {
        if (archive->members()[index].name == row.detail) {
            EXPECT_EQ(archive->extract(index), readFile(dataPath("fixtures/hosts-sample")));
        }
    }
}

constexpr Outcome unpacks = Outcome::Unpacks;
constexpr Outcome refused = Outcome::ArchiveRefused;
constexpr Outcome memberRefused = Outcome::MemberRefused;

const ArchiveCase archiveCases[] = {
    // Made here with Info-ZIP zip, Python's zipfile and 7-Zip.
    {"Stored", "fixtures/stored-upper.zip", unpacks, "HOSTS"},
    {"Deflated", "fixtures/deflated.zip", unpacks, "hosts"},
    {"FolderEntries", "fixtures/in-folder.zip", unpacks, "lists/hosts"},
    {"DataDescriptors", "fixtures/data-descriptor.zip", unpacks, "hosts"},
    {"StreamedZip64LocalHeader", "fixtures/streamed.zip", unpacks, "-"},
    {"Zip64EndRecord", "fixtures/forced-zip64.zip", unpacks, "-"},
    {"SevenZip", "fixtures/7z-deflated.zip", unpacks, "hosts"},
    {"ArchiveComment", "fixtures/with-comment.zip", unpacks, "hosts"},
    {"StubWithAdjustedOffsets", "fixtures/stub-adjusted.zip", unpacks, "hosts"},
    {"StubWithUnadjustedOffsets", "fixtures/stub-unadjusted.zip", unpacks, "hosts"},
    {"NotZipHtmlPage", "fixtures/not-a-zip.html", refused, "is not a ZIP archive"},
    {"NotZipEmptyFile", "fixtures/empty-file.zip", refused, "is not a ZIP archive"},
    {"DotDotName", "fixtures/dot-dot.zip", refused, "member \"..\" has a name that is not a file name"},
    {"RatioBomb", "fixtures/ratio-bomb.zip", refused, "compression ratio over 1000"},
    {"EntriesSharingData", "fixtures/shared-data.zip", refused, "members \"a/hosts\" and \"hosts\" overlap"},
    {"CrcMismatch", "fixtures/crc-mismatch.zip", memberRefused, "member \"hosts\" fails its CRC-32 check"},
    {"Encrypted", "fixtures/encrypted.zip", memberRefused, "member \"hosts\" is encrypted"},
    {"Bzip2", "fixtures/7z-bzip2.zip", memberRefused, "compression method 12 (bzip2), which is not supported"},
    // Written by others (see data/SOURCES.md).
    {"RealListWithDescriptor", "external/hosts-archives/cblocklist_hosts_data-descriptor.zip", unpacks, ""},
    {"DescriptorWithoutSignature", "external/go/go-no-datadesc-sig.zip", unpacks, ""},
    {"StoredCrcOnlyInDirectory", "external/go/crc32-not-streamed.zip", unpacks, ""},
    {"TrailingJunk", "external/go/test-trailing-junk.zip", unpacks, ""},
    {"TextBeforeArchive", "external/go/readme.notzip", unpacks, ""},
    {"Zip64SizesInExtra", "external/go/zip64.zip", unpacks, ""},
    {"Zip64PrependedBytes", "external/jszip/zip64_prepended_bytes.zip", unpacks, ""},
    {"BackslashNames", "external/jszip/backslash.zip", unpacks, ""},
    {"Zip64AppendedBytes", "external/jszip/zip64_appended_bytes.zip", unpacks, ""},
    {"JunkAtStart", "external/libzip/junk-at-start.zip", unpacks, ""},
    {"StreamedZip64Libzip", "external/libzip/streamed-zip64.zip", unpacks, ""},
    {"GapBeforeZip64EndRecord", "external/libzip/incons-eocd64-gap.zip", unpacks, ""},
    {"Zip64MagicInNames", "external/zip2/zip64_magic_in_filename_4.zip", unpacks, ""},
    {"EmptyWithGarbageComment", "external/zip2/comment_garbage.zip", unpacks, ""},
    {"Truncated", "external/libzip/testfile-truncated.zip", refused, "is not a ZIP archive"},
    {"EmptyName", "external/libzip/filename_empty.zip", refused, "has a name that is not a file name"},
    {"DeclaredRatioBomb", "external/yauzl/not-enough-bytes-in-the-stream.zip", refused, "compression ratio over 1000"},
    {"DirectoryOffsetOutside", "external/libzip/incons-cdoffset.zip", refused, "directory points outside the file"},
    {"MissingBytes", "external/jszip/all_missing_bytes.zip", refused, "directory points outside the file"},
    {"Zip64RecordMissing", "external/yauzl/invalid-zip64-end-record-signature.zip", refused, "outside the file"},
    {"MemberOffsetOutside", "external/jszip/invalid-bad_offset.zip", refused, "\"Hello.txt\" points outside the file"},
    {"DamagedLocalHeader", "external/libzip/incons-local-magic-bad.zip", refused, "damaged local header"},
    {"CountHigherThanDirectory", "external/libzip/incons-file-count-high.zip", refused, "directory is damaged"},
    {"MultiDisk", "external/libzip/multidisk.zip", refused, "split across several disks"},
    {"StrongEncryption", "external/yauzl/strong-encryption.zip", memberRefused, "is encrypted"},
    {"AesEncryption", "external/zip2/aes_archive.zip", memberRefused, "is encrypted"},
    {"Zstandard", "external/libzip/testfile-zstd.zip", memberRefused, "method 93 (Zstandard)"},
    {"Shrunk", "external/yauzl/unsupported-compression-method-1.zip", memberRefused, "method 1 (shrunk)"},
    {"DamagedDeflate", "external/yauzl/invalid-code-lengths-set.zip", memberRefused, "damaged compressed data"},
    {"MoreDataThanDeclared", "external/yauzl/too-many-bytes-in-the-stream.zip", memberRefused, "more data than"},
};

INSTANTIATE_TEST_SUITE_P(Archives, CommittedArchive, testing::ValuesIn(archiveCases),
                         [](const testing::TestParamInfo<ArchiveCase>& info) { return info.param.name; });

TEST(ZipArchive, RefusesAnArchiveThatWouldUnpackToMoreThan256MiB)
{
    // 300 MiB of zeros, deflated (300 KB), committed zipped once more.
    const auto outer = vendrel::ZipArchive::fromFile(dataPath("fixtures/size-bomb-nested.zip"));
    ASSERT_EQ(outer.members().size(), 1u);
    const auto error = errorOf([&] { vendrel::ZipArchive::fromBytes(outer.extract(0), "bomb.zip"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Cannot unpack bomb.zip: member \"hosts\" would unpack to more than 256 MiB");
}

TEST(ZipArchive, FindsTheArchiveAmidJunk)
{
    const std::string archive = readFile(dataPath("fixtures/forced-zip64.zip"));
    const std::string junk(70000, 'x'); // more than an end-record comment can hold
    for (const std::string& bytes : {junk + archive, archive + junk, junk + archive + junk}) {
        const auto opened = vendrel::ZipArchive::fromBytes(bytes, "junk.zip");
        ASSERT_EQ(opened.members().size(), 1u);
        EXPECT_EQ(opened.extract(0), readFile(dataPath("fixtures/hosts-sample")));
    }
}

TEST(ZipArchive, RefusesEveryTruncationCleanly)
{
    for (const char* file : {"fixtures/deflated.zip", "fixtures/forced-zip64.zip", "fixtures/data-descriptor.zip"}) {
        const std::string archive = readFile(dataPath(file));
        for (std::size_t length = 0; length < archive.size(); ++length) {
            const auto error = errorOf([&] { vendrel::ZipArchive::fromBytes(archive.substr(0, length), "cut.zip"); });
            ASSERT_TRUE(error) << file << " cut to " << length << " bytes opened";
            EXPECT_NE(error->find("cut.zip"), std::string::npos) << *error;
        }
    }
}

} // namespace

// The fuzz targets' findings, kept in fuzz/regressions/<target>/, replayed
// with the property checks the targets run, so that the ordinary build and
// every compiler keep them fixed.

#include "properties/hosts_list_round_trip.h"
#include "properties/profile_write.h"
#include "properties/sort_merge.h"
#include "properties/version_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Check = fuzz_properties::Violation (*)(std::string_view);

const std::map<std::string, Check> checksByTarget = {
    {"fuzz_hosts_list", fuzz_properties::hostsListRoundTrip},
    {"fuzz_profile_text", fuzz_properties::profileWrite},
    {"fuzz_sort_merge", fuzz_properties::sortMerge},
    {"fuzz_version_file", fuzz_properties::versionFile},
};

std::vector<fs::path> entriesOf(const fs::path& folder)
{
    std::vector<fs::path> entries{fs::directory_iterator(folder), fs::directory_iterator()};
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzRegressions, EveryKeptInputKeepsItsProperty)
{
    const std::vector<fs::path> targets = entriesOf(VENDREL_FUZZ_REGRESSIONS);
    ASSERT_FALSE(targets.empty()) << "no findings kept in " << VENDREL_FUZZ_REGRESSIONS;
    for (const fs::path& target : targets) {
        const auto check = checksByTarget.find(target.filename().string());
        ASSERT_NE(check, checksByTarget.end()) << "no property check for the folder " << target;
        for (const fs::path& input : entriesOf(target)) {
            const fuzz_properties::Violation violation = check->second(bytesOf(input));
            EXPECT_FALSE(violation) << input << ": " << violation.value_or("");
        }
    }
}

} // namespace

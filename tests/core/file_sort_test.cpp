#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"

#include "locale_scope.h"
#include "platform/text_case.h"

#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string dataFolder = VENDREL_TEST_DATA;
const std::vector<std::string> blockingAddresses = {"127.0.0.1", "0.0.0.0"};

// Sorting runs in code-point order in the C locale and collates elsewhere;
// the tests that run in both set the locale for a while.
const std::vector<const char*> sortLocales = {"en_US_POSIX", "en_US"};

using testing_support::UsingLocale;

std::string header(const std::string& address) { return address + "\tlocalhost\r\n"; }

// `body` with every "@" replaced by the sort address.
std::string withAddress(std::string body, const std::string& address)
{
    for (std::size_t at = body.find('@'); at != std::string::npos; at = body.find('@', at + address.size()))
        body.replace(at, 1, address);
    return body;
}

std::string defaultText()
{
    std::string text;
    for (const std::string& line : vendrel::defaultHostsLines())
        text += line + "\r\n";
    return text;
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

// ---------------------------------------------------------------------------
// sortHostsText on small texts. Every case runs with both blocking addresses
// in both kinds of locale; "@" in the expected survivors stands for the
// address.

struct SortCase {
    const char* name;
    std::string input;
    std::string survivors;   // after the header and its empty line; empty: header only
    std::string system = {}; // the system's own lines, in front of the header
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class SortText : public testing::TestWithParam<SortCase> {};

TEST_P(SortText, WritesHeaderAndSortedSurvivorsAndIsIdempotent)
{
    const SortCase& c = GetParam();
    for (const char* locale : sortLocales) {
        const UsingLocale using_(locale);
        for (const std::string& address : blockingAddresses) {
            SCOPED_TRACE(std::string("locale ") + locale + ", redirect " + address);
            const std::string survivors = withAddress(c.survivors, address);
            const std::string expected = c.system + header(address) + (survivors.empty() ? "" : "\r\n" + survivors);
            const vendrel::SystemLines machine("myhost.example.org");
            const std::string sorted = vendrel::sortHostsText(c.input, address, {}, machine);
            EXPECT_EQ(sorted, expected);
            EXPECT_EQ(vendrel::sortHostsText(sorted, address, {}, machine), sorted) << "sorting again changed the text";
        }
    }
}

const std::string longComment(499, 'x');

INSTANTIATE_TEST_SUITE_P(
    FileSort, SortText,
    testing::Values(
        SortCase{"EmptyInputGivesHeaderOnly", "", ""}, SortCase{"DefaultTextGivesHeaderOnly", defaultText(), ""},
        SortCase{"CommentsBlanksAndCommentedEntriesDropped",
                 "# comment\n#\n\n   \t \n\x01\x02\n#127.0.0.1 host.example\n# 0.0.0.0 other.example\n", ""},
        SortCase{"LocalhostInAnyCaseAndPlaceDropped",
                 "127.0.0.1 LocalHost\n0.0.0.0 my.localhost.example\n0.0.0.0 a.example # not LOCALHOST\n"
                 "10.0.0.1 localhost6\n::1 localhost\n",
                 "", "::1 localhost\r\n"},
        SortCase{"BlanksTabsAndCommentAroundLoopbackEntryGo", "\t 127.0.0.1 \t  \thost.example\t # comment\n",
                 "@\thost.example\r\n"},
        SortCase{"AddressIsCutByItsLengthNotAtABlank", "0.0.0.00 other.example\n", "@\tother.example\r\n"},
        SortCase{"SystemLinesStayAsWrittenOnceEachInTheirOrder",
                 "0.0.0.0 b.example\n127.0.1.1\tmyhost.example.org  myhost\nff02::1 ip6-allnodes\n"
                 "127.0.0.1 localhost localhost.localdomain\n0.0.0.0 MyHost\nFF02::1\tip6-allnodes\n"
                 "fe80::1%lo0 localhost\n127.0.0.53 resolver\n::1 x # ::1 localhost\n#::1 gone\n127.0.0.10 dev.test\n"
                 "0.0.0.0 myhost.ads.example\n",
                 "@\tb.example\r\n@\tmyhost.ads.example\r\n",
                 "127.0.1.1\tmyhost.example.org  myhost\r\nff02::1 ip6-allnodes\r\n"
                 "127.0.0.1 localhost localhost.localdomain\r\n0.0.0.0 MyHost\r\nfe80::1%lo0 localhost\r\n"
                 "127.0.0.53 resolver\r\n::1 x # ::1 localhost\r\n127.0.0.10 dev.test\r\n"},
        SortCase{"NullRouteEntryTakesTheSortAddress", "0.0.0.0   host.example\n", "@\thost.example\r\n"},
        SortCase{"AddressAloneLeavesAnEmptyHost", "127.0.0.1\n0.0.0.0 # nothing here\n", "@\t\r\n"},
        SortCase{"OtherLinesKeptAsWrittenAmongEntriesCaseIgnored",
                 "Zeta.lan\n192.168.1.2 nas # box\n0.0.0.0 b.example\nalpha.lan\n127.0.0.1 a.example\n",
                 "@\ta.example\r\n@\tb.example\r\n192.168.1.2 nas # box\r\nalpha.lan\r\nZeta.lan\r\n"},
        SortCase{"SameHostUnderBothAddressesOnce", "127.0.0.1 ads.example\n0.0.0.0 ads.example\n",
                 "@\tads.example\r\n"},
        SortCase{"EntriesDifferingInCaseKeepTheBottomMost",
                 "0.0.0.0 Ads.Example\n127.0.0.1 ADS.example\n0.0.0.0 ads.EXAMPLE\n", "@\tads.EXAMPLE\r\n"},
        SortCase{"OtherLinesDifferingInCaseKeepTheTopMost", "NAS.lan 10.0.0.5\nnas.LAN 10.0.0.5\n",
                 "NAS.lan 10.0.0.5\r\n"},
        SortCase{"NonAsciiLettersCompareWithoutCase", "0.0.0.0 M\xC3\x9CLLER.example\n0.0.0.0 m\xC3\xBCller.example\n",
                 "@\tm\xC3\xBCller.example\r\n"},
        SortCase{"LinesDifferingInMoreThanCaseAllKept",
                 "nas.lan # box\nnas\x01.lan\nnas.lan\n0.0.0.0 b.example\n0.0.0.0 b.example # other\n",
                 "@\tb.example\r\nnas\x01.lan\r\nnas.lan\r\nnas.lan # box\r\n"},
        SortCase{"CommentOf500CharsRemovedWhole", "0.0.0.0 host.example #" + longComment + "\n", "@\thost.example\r\n"},
        SortCase{"CommentOf501CharsLeavesItsLastChar", "0.0.0.0 host.example #" + longComment + "Z\n",
                 "@\thost.example Z\r\n"},
        SortCase{"FullLineCommentOver500CharsKeptAsWritten", "#" + longComment + "Z\n", "#" + longComment + "Z\r\n"},
        SortCase{"CrLfAndLoneCrAndLoneLfBreaks", "0.0.0.0 c.example\r0.0.0.0 b.example\n0.0.0.0 a.example\r\n",
                 "@\ta.example\r\n@\tb.example\r\n@\tc.example\r\n"}),
    [](const testing::TestParamInfo<SortCase>& info) { return std::string(info.param.name); });

// A collating locale gives entries that differ only in a control character
// or in letter width the same key; they are no duplicates, so both stay,
// and sorting the result again must not change their order.
TEST(FileSort, EntriesWithEqualKeysKeepTheirOrderWhenSortedAgain)
{
    const std::string input = "0.0.0.0 ab.example\n0.0.0.0 a\x01"
                              "b.example\n0.0.0.0 \xEF\xBD\x81"
                              "b.example\n";
    for (const char* locale : sortLocales) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(std::string("locale ") + locale);
        const std::string sorted = vendrel::sortHostsText(input, "0.0.0.0");
        EXPECT_EQ(vendrel::splitLines(sorted).size(), 5u) << sorted;
        EXPECT_EQ(vendrel::sortHostsText(sorted, "0.0.0.0"), sorted);
    }
}

TEST(FileSort, RedirectThatIsNoBlockingAddressSortsToLoopback)
{
    const std::string input = "0.0.0.0 b.example\n127.0.0.1 a.example\n";
    const std::string expected = "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\ta.example\r\n127.0.0.1\tb.example\r\n";
    for (const char* redirect : {"", "10.0.0.1", "#0.0.0.0", "0.0.0.0 ", "::1"})
        EXPECT_EQ(vendrel::sortHostsText(input, redirect), expected) << "redirect '" << redirect << "'";
}

// Enough lines for the sort keys to be built on several threads where the
// machine has the cores; the hosts share a long prefix, so the keys are
// compared well past their first eight bytes.
TEST(FileSort, ManyLinesAreSortedAndDeduplicatedWholly)
{
    constexpr int hosts = 50000;
    std::string input;
    char name[64];
    for (int i = hosts - 1; i >= 0; --i) {
        std::snprintf(name, sizeof name, "0.0.0.0 tracker-%05d.shared-prefix.example\n", i);
        input += name;
    }
    for (int i = 0; i < hosts; i += 7) {
        std::snprintf(name, sizeof name, "127.0.0.1 TRACKER-%05d.shared-prefix.example\n", i);
        input += name;
    }
    std::vector<std::string> expected = {"127.0.0.1\tlocalhost", ""};
    for (int i = 0; i < hosts; ++i) {
        std::snprintf(name, sizeof name,
                      i % 7 == 0 ? "127.0.0.1\tTRACKER-%05d.shared-prefix.example"
                                 : "127.0.0.1\ttracker-%05d.shared-prefix.example",
                      i);
        expected.emplace_back(name);
    }
    // Compared line by line: a diff of the whole texts would take too long to print.
    const std::string sorted = vendrel::sortHostsText(input, "127.0.0.1");
    const std::vector<std::string_view> lines = vendrel::splitLines(sorted);
    ASSERT_EQ(lines.size(), expected.size());
    const auto [got, wanted] = std::mismatch(lines.begin(), lines.end(), expected.begin());
    EXPECT_TRUE(got == lines.end()) << "line " << (got - lines.begin()) + 1 << " is '" << *got << "', not '" << *wanted
                                    << "'";
    EXPECT_EQ(vendrel::joinLines(lines), sorted);
}

// Many random hosts in random letter case under both addresses, among kept
// lines: the result holds one line of each host, case ignored (the
// bottom-most entry; of kept lines the top-most), in the collator's order.
TEST(FileSort, LargeRandomListGivesTheCollatorsOrderOfUniqueLines)
{
    std::mt19937 random(6);
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789.-_";
    const auto host = [&] {
        std::string name(1 + random() % 24, ' ');
        for (char& c : name)
            c = letters[random() % (random() % 4 == 0 ? 3 : letters.size())];
        return name;
    };
    const auto randomCase = [&](std::string text) {
        for (char& c : text)
            if (random() % 3 == 0)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    std::vector<std::string> hosts(6000);
    for (std::string& name : hosts)
        name = host();
    std::string input;
    std::vector<std::string> lines; // the lines the sort sees, in file order
    for (int i = 0; i < 30000; ++i) {
        const std::string name = randomCase(hosts[random() % hosts.size()]);
        lines.push_back(i % 10 == 0 ? "kept " + name : (i % 2 ? "0.0.0.0 " : "127.0.0.1 ") + name);
        input += lines.back() + "\n";
    }
    for (const char* locale : sortLocales) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(std::string("locale ") + locale);
        std::map<std::string, std::string> survivors; // by the lower-case text
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
            if (!line->starts_with("kept "))
                survivors.try_emplace(lowered("@\t" + line->substr(line->find(' ') + 1)),
                                      "0.0.0.0\t" + line->substr(line->find(' ') + 1));
        for (const std::string& line : lines)
            if (line.starts_with("kept "))
                survivors.try_emplace(lowered(line), line);
        platform::LocaleSortKeys collator;
        std::vector<std::pair<std::string, std::string>> keyed;
        for (const auto& [lower, line] : survivors) {
            std::string key;
            collator.append(line, key);
            keyed.emplace_back(key, line);
        }
        std::sort(keyed.begin(), keyed.end());
        std::vector<std::string> expected = {"0.0.0.0\tlocalhost", ""};
        for (const auto& [key, line] : keyed)
            expected.push_back(line);
        const std::string sorted = vendrel::sortHostsText(input, "0.0.0.0");
        const std::vector<std::string_view> got = vendrel::splitLines(sorted);
        ASSERT_EQ(got.size(), expected.size());
        const auto [at, wanted] = std::mismatch(got.begin(), got.end(), expected.begin());
        EXPECT_TRUE(at == got.end()) << "line " << (at - got.begin()) + 1 << " is '" << *at << "', not '" << *wanted
                                     << "'";
    }
}

// The command line sorts the hosts file straight from its text: the result
// must be what the editor's sort of the loaded rows writes, for every line
// the loader normalises (TABs, blanks around and inside, a lone "#", control
// bytes, a byte-order mark, every line break) and for the real files.
TEST(FileSort, FileTextSortsAsItsLoadedRowsDo)
{
    std::vector<std::string> texts = {
        "\t 0.0.0.0\t\tads.example \t\r\n127.0.0.1 Localhost\r\n# comment\nkept line  with \t blanks\n",
        "\xEF\xBB\xBF"
        "0.0.0.0 a.example\r#\r\nx\ty\tz\n\xEF\xBB\xBF"
        "0.0.0.0 b\n",
        "#\n # \n#0.0.0.0 c\n\x01"
        "0.0.0.0\x01host\x02 d\n0.0.0.0\x01\n127.0.0.1\n",
        "",
        "\xEF\xBB\xBF",
        "   \n\t\n\r\r\n",
        "1.2.3.4\tLOCALHOST\n0.0.0.0 b #c\n0.0.0.0 B\n",
        "a\x01 b\n\x01\x02 0.0.0.0 e\n0.0.0.0  \t f g \t\n# 0.0.0.0\tcommented\n",
    };
    for (const char* name :
         {"abadi199_hosts_lan-mappings_no-final-newline", "arcaz21_hosts_tab-led-line_unchecky-block",
          "urlhaus_hosts_tab-separated", "whatzittooya_hosts_bang-comments_trailing-tabs",
          "yabooo666_hosts_leading-trailing-spaces"})
        texts.push_back(vendrel::readWholeFile(dataFolder + "/" + name));
    for (const char* locale : sortLocales) {
        const UsingLocale using_(locale);
        for (const std::string& address : blockingAddresses)
            for (std::size_t i = 0; i < texts.size(); ++i) {
                SCOPED_TRACE(std::string("locale ") + locale + ", redirect " + address + ", text " + std::to_string(i));
                const vendrel::LoadedHosts loaded = vendrel::parseHostsText(texts[i], "hosts");
                const std::string fromRows = vendrel::sortHostsText(vendrel::formatList(loaded.rows), address);
                EXPECT_EQ(vendrel::sortHostsFileText(std::string(texts[i]), address), fromRows);
            }
    }
}

// ---------------------------------------------------------------------------
// Real hosts files.

class SortRealFile : public testing::TestWithParam<const char*> {};

TEST_P(SortRealFile, GivesNormalisedUniqueLinesAndIsIdempotent)
{
    const std::string text = vendrel::readTextFile(dataFolder + "/" + GetParam());
    for (const auto& [locale, address] :
         {std::pair<const char*, std::string>{sortLocales[0], "127.0.0.1"}, {sortLocales[1], "0.0.0.0"}}) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(std::string("locale ") + locale + ", redirect " + address);
        const std::string other = address == "127.0.0.1" ? "0.0.0.0" : "127.0.0.1";
        const std::string sorted = vendrel::sortHostsText(text, address);
        EXPECT_EQ(vendrel::sortHostsText(sorted, address), sorted);

        ASSERT_TRUE(sorted.starts_with(header(address))) << sorted.substr(0, 80);
        const std::vector<std::string_view> lines = vendrel::splitLines(sorted);
        EXPECT_EQ(vendrel::joinLines(lines), sorted) << "a line break other than CR LF was written";
        std::set<std::string> seen;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string_view line = lines[i];
            EXPECT_EQ(lowered(line).find("localhost"), std::string::npos) << line;
            EXPECT_FALSE(line.starts_with(other)) << line;
            EXPECT_TRUE(seen.insert(lowered(line)).second) << "duplicate: " << line;
            if (i > 1 && line.starts_with(address)) {
                EXPECT_EQ(line[address.size()], '\t') << line;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FileSort, SortRealFile,
                         testing::Values("abadi199_hosts_lan-mappings_no-final-newline",
                                         "arcaz21_hosts_tab-led-line_unchecky-block", "fademind_add.2o7Net_hosts_crlf",
                                         "minecraft-hosts_domains-only_no-ip", "s8seer_hosts_edited-header",
                                         "stevenblack-fork_myhosts.example", "urlhaus_hosts_tab-separated",
                                         "whatzittooya_hosts_bang-comments_trailing-tabs",
                                         "windows-default-hosts_excerpt.txt",
                                         "yabooo666_hosts_leading-trailing-spaces"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name;
                             for (const char c : std::string_view(info.param))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(FileSort, DefaultExcerptKeepsNothingButTheHeader)
{
    EXPECT_EQ(
        vendrel::sortHostsText(vendrel::readTextFile(dataFolder + "/windows-default-hosts_excerpt.txt"), "0.0.0.0"),
        header("0.0.0.0"));
}

} // namespace

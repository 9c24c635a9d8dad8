#include "core/download/blocking_list_filter.h"
#include "core/download/download_address.h"
#include "core/error.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct ListCase {
    const char* name;
    std::string list;
    std::string entries;
    std::size_t leftOut;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class ServedList : public testing::TestWithParam<ListCase> {};

// The machine is "myhost"; entries are written with 0.0.0.0.
TEST_P(ServedList, GivesOnlyBlockingEntriesOfValidNames)
{
    const vendrel::BlockingList list = vendrel::blockingEntriesOf(GetParam().list, "0.0.0.0",
                                                                  vendrel::SystemLines("myhost"));
    EXPECT_EQ(list.text, GetParam().entries);
    EXPECT_EQ(list.leftOut, GetParam().leftOut);
}

const std::string longLabel(64, 'a');

INSTANTIATE_TEST_SUITE_P(
    DownloadedLists, ServedList,
    testing::Values(
        ListCase{"HostsFormatUnderEitherAddress", "127.0.0.1 a.example\n0.0.0.0\tb.example c.example # x\n",
                 "0.0.0.0 a.example\r\n0.0.0.0 b.example\r\n0.0.0.0 c.example\r\n", 0},
        ListCase{"OneDomainALine",
                 "\xEF\xBB\xBF"
                 "a.example\r\nxn--bcher-kva.example.\r\n",
                 "0.0.0.0 a.example\r\n0.0.0.0 xn--bcher-kva.example.\r\n", 0},
        ListCase{"ARedirectOfANameNeverComesIn", "6.6.6.6 bank.example\n::1 localhost\n10.0.0.1 nas\n", "", 3},
        ListCase{"CommentsAndBlankLinesAreNotCounted", "# comment\n\n   \n#0.0.0.0 off.example\n", "", 0},
        ListCase{"LocalhostTheMachineAndAddressesAreNoNames",
                 "127.0.0.1 localhost\n0.0.0.0 0.0.0.0\n0.0.0.0 MyHost\n0.0.0.0 localhost.localdomain\n127.0.0.1\n", "",
                 5},
        ListCase{"InvalidNamesGoAndTheirLineIsCounted",
                 "0.0.0.0 ok.example bad_name.example -dash.example " + longLabel +
                     ".example\n"
                     "0.0.0.0 a..example\nhttp://x.example/\n",
                 "0.0.0.0 ok.example\r\n", 3}),
    [](const testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

TEST(DownloadedLists, TheNoteCountsTheLinesLeftOut)
{
    EXPECT_EQ(vendrel::leftOutNote(1, "mvps"), "1 line of list mvps was not a blocking entry and was left out.");
    EXPECT_EQ(vendrel::leftOutNote(12, "mvps"), "12 lines of list mvps were not blocking entries and were left out.");
}

struct AddressCase {
    const char* given;
    std::optional<std::string> address; // nothing: refused
};

class DownloadAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(DownloadAddress, IsHttpOrHttpsParsedByTheSystemsParser)
{
    std::optional<std::string> address;
    try {
        address = vendrel::downloadAddress(GetParam().given);
    } catch (const vendrel::Error& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().given), std::string::npos) << error.what();
    }
    EXPECT_EQ(address, GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    DownloadedLists, DownloadAddress,
    testing::Values(AddressCase{"www.mvps.org/winhelp2002/hosts.zip", "http://www.mvps.org/winhelp2002/hosts.zip"},
                    AddressCase{"https://lists.example/hosts.txt", "https://lists.example/hosts.txt"},
                    AddressCase{"http://127.0.0.1:8080/x.zip", "http://127.0.0.1:8080/x.zip"},
                    AddressCase{"ftp://lists.example/hosts.zip", std::nullopt},
                    AddressCase{"file:///etc/hosts", std::nullopt}, AddressCase{"http://", std::nullopt}));

} // namespace

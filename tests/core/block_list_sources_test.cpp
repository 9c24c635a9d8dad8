// What the update reads of a source's body and keeps of it between runs:
// the list told from an archive by its bytes, and records and name lists
// that count only when they read back as they were written.

#include "core/error.h"
#include "core/sources/allow_list.h"
#include "core/sources/list_body.h"
#include "core/sources/source_records.h"
#include "fake_platform.h"
#include "platform/sha256.h"
#include "unzip_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using testing_support::FakePlatform;
using vendrel::ListFormat;
using vendrel::ListSource;

std::optional<std::string> failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const vendrel::Error& error) {
        return error.what();
    }
    return std::nullopt;
}

TEST(ListBody, TheListIsFoundByTheBytesOfWhatArrived)
{
    const std::string list = "0.0.0.0 ads.example\n";
    const auto zip = [](std::vector<unzip_test::HandMadeMember> members) {
        return unzip_test::handMadeArchive(members);
    };
    const struct {
        const char* what;
        std::string body;
        ListFormat format;
        std::string member;
        std::optional<std::string> text; // the list, or none when refused
        const char* reason;
    } cases[] = {
        {"plain text", list, ListFormat::Auto, "", list, ""},
        {"the only file of an archive", zip({{"lists/any.txt", list}}), ListFormat::Auto, "", list, ""},
        {"hosts.txt among others", zip({{"README", "x"}, {"HOSTS.TXT", list}}), ListFormat::Auto, "", list, ""},
        {"the member asked for", zip({{"a", "x"}, {"b", list}}), ListFormat::Zip, "b", list, ""},
        {"no file of the name", zip({{"a", "x"}}), ListFormat::Auto, "b", std::nullopt, "holds no file named b"},
        {"several files, none a hosts file", zip({{"a", "x"}, {"b", "y"}}), ListFormat::Auto, "", std::nullopt,
         "holds 2 files and none is called hosts"},
        {"an archive where text was said", zip({{"a", list}}), ListFormat::Text, "", std::nullopt,
         "sent a ZIP archive where its sources entry says text"},
        {"text where an archive was said", list, ListFormat::Zip, "", std::nullopt, "sent no ZIP archive"},
        {"a web page", "\xEF\xBB\xBF  <!DOCTYPE html><title>x</title>", ListFormat::Auto, "", std::nullopt,
         "sent a web page"},
        {"a web page in an archive", zip({{"hosts", "<html></html>"}}), ListFormat::Auto, "", std::nullopt,
         "sent a web page"},
        {"binary data", std::string("ads.example\n\0", 13), ListFormat::Auto, "", std::nullopt, "binary data"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const ListSource source{"src", "http://x.example/", true, test.format, test.member};
        std::string text;
        const auto failure = failureOf([&] { text = vendrel::listTextOfBody(test.body, source); });
        if (test.text) {
            EXPECT_EQ(failure, std::nullopt);
            EXPECT_EQ(text, *test.text);
        } else {
            ASSERT_TRUE(failure);
            EXPECT_NE(failure->find(test.reason), std::string::npos) << *failure;
        }
    }
}

TEST(AllowList, NamesAndWholeDomainsGoThroughInAnyCase)
{
    const vendrel::AllowList allow({"Shop.Example", "*.cdn.example", "  spaced.example  ", "*.", "# not a name"});
    const struct {
        const char* name;
        bool allowed;
    } cases[] = {
        {"shop.example", true},  {"www.shop.example", false}, {"cdn.example", true}, {"a.b.cdn.example", true},
        {"xcdn.example", false}, {"spaced.example", true},    {"example", false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(allow.allows(test.name), test.allowed) << test.name;
    EXPECT_TRUE(vendrel::AllowList({}).empty());
}

class SourceRecordsTest : public testing::Test {
protected:
    FakePlatform fake;
    vendrel::SourceRecords records{fake.root()};
    std::string file(const std::string& name) const { return fake.root() + "/sources/" + name; }
};

TEST_F(SourceRecordsTest, WhatIsWrittenReadsBackAndNothingElseDoes)
{
    vendrel::SourceRecord record{"https://x.example/l",
                                 "\"e1\"",
                                 "Tue, 08 Dec 2026 10:00:00 GMT",
                                 platform::sha256Hex("body"),
                                 1765188000,
                                 2,
                                 "",
                                 "updated"};
    record.namesSha256 = records.writeNames("x", {"a.example", "b.example"});
    records.writeRecord("x", record);
    EXPECT_EQ(records.record("x"), record);
    const vendrel::ReadNames kept = records.names("x", record);
    EXPECT_TRUE(kept.sound);
    EXPECT_EQ(kept.names, (vendrel::NameList{"a.example", "b.example"}));

    const std::string recordText = FakePlatform::readFile(file("source.x.record"));
    const struct {
        const char* what;
        std::string recordFile;
        std::string namesFile;
        bool recordReads;
        bool namesSound;
    } damages[] = {
        {"another version's header", "vendrel source record 9\n", "", false, false},
        {"an unknown key", recordText + "speed=fast\n", "", false, false},
        {"a digest that is none", recordText + "sha256=xyz\n", "", false, false},
        {"a control character", recordText + "etag=\x1b[2J\n", "", false, false},
        {"a list in another order", recordText, "b.example\na.example\n", true, false},
        {"a list with a planted name", recordText, "a.example\nb.example\nmine.example\n", true, false},
        {"a list in upper case", recordText, "A.example\nb.example\n", true, false},
    };
    for (const auto& test : damages) {
        SCOPED_TRACE(test.what);
        fake.writeFile(file("source.x.record"), test.recordFile);
        fake.writeFile(file("source.x.names"), test.namesFile.empty() ? "a.example\nb.example\n" : test.namesFile);
        const auto read = records.record("x");
        EXPECT_EQ(read.has_value(), test.recordReads);
        EXPECT_EQ(records.names("x", read).sound, test.namesSound);
    }
}

TEST_F(SourceRecordsTest, TheAppliedListsCountOnlyWithTheirState)
{
    EXPECT_TRUE(records.applied(records.appliedState()).sound); // nothing yet: an empty start
    const vendrel::AppliedState state{"source=x http://x.example/\nwhitelist=" + platform::sha256Hex("") + "\n",
                                      records.writeApplied({"a.example"}), records.writeOwn({})};
    records.writeAppliedState(state);
    const auto read = records.appliedState();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->configuration, state.configuration);
    EXPECT_EQ(records.applied(read).names, vendrel::NameList{"a.example"});

    fake.writeFile(file("applied.names"), "a.example\nmine.example\n");
    EXPECT_FALSE(records.applied(read).sound);
    std::filesystem::remove(file("applied.record"));
    EXPECT_FALSE(records.applied(records.appliedState()).sound) << "a list without its state is no empty start";
#ifndef _WIN32
    std::filesystem::remove(file("applied.names"));
    ASSERT_EQ(::mkfifo(file("applied.names").c_str(), 0600), 0);
    records.writeAppliedState(state);
    EXPECT_FALSE(records.applied(records.appliedState()).sound) << "a named pipe is never read";
#endif
}

} // namespace

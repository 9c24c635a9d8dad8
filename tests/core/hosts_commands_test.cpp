// The commands as planned changes: what each plans for the hosts file and the
// rows a view shows, what the change writer then writes, and what both refuse.

#include "core/download/block_list_fetch.h"
#include "core/editing/line_commands.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"
#include "session_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing_support::FakePlatform;
using testing_support::SessionDriver;

// Records the calls a view of the rows gets, and what the rows held then.
class RecordingObserver final : public vendrel::RowsObserver {
public:
    explicit RecordingObserver(const vendrel::HostsRows& rows) : rows_(rows) {}
    void rowsAboutToBeReplaced() override { calls.push_back("about to replace " + std::to_string(rows_.size())); }
    void rowsReplaced() override { calls.push_back("replaced " + std::to_string(rows_.size())); }
    std::vector<std::string> calls;

private:
    const vendrel::HostsRows& rows_;
};

const std::string threeLines = "127.0.0.1\tlocalhost\r\n0.0.0.0\tads.example\r\n# note\r\n";

class HostsCommandsTest : public testing::Test {
protected:
    FakePlatform fake;
    std::string data = fake.root() + "/data";
    std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", threeLines);
    SessionDriver session{hosts, data, vendrel::Locking::EachAccess};
    RecordingObserver observer{session.document.rows()};

    void SetUp() override
    {
        std::filesystem::create_directories(data);
        session.document.setObserver(&observer);
    }
    void changeOnDiskElsewhere(const std::string& text)
    {
        std::this_thread::sleep_for(10ms); // a new modification time even on coarse clocks
        vendrel::writeWholeFile(hosts, text);
    }
    std::size_t versionCount() const { return session.writer.history()->versions().size(); }
};

TEST_F(HostsCommandsTest, AViewIsToldAroundEveryWholesaleChangeOfTheRows)
{
    fake.writeFile(hosts, threeLines + "127.0.0.1\ttracker.example\r\n");
    session.document.load();
    EXPECT_EQ(session.document.redirectAddress(), "127.0.0.1");
    session.apply(vendrel::planRemoveBlocking(session.document, {}, 40));
    EXPECT_EQ(session.document.rows().size(), 40u) << "the rows no longer stand for the file";
    EXPECT_EQ(FakePlatform::readFile(hosts), "127.0.0.1 \tlocalhost\r\n0.0.0.0\tads.example\r\n# note\r\n");
    session.document.load();
    session.apply(vendrel::planSwap(session.document));
    EXPECT_EQ(session.document.redirectAddress(), "0.0.0.0");
    EXPECT_EQ(observer.calls,
              (std::vector<std::string>{"about to replace 1", "replaced 4", "about to replace 4", "replaced 40",
                                        "about to replace 40", "replaced 3", "about to replace 3", "replaced 3"}));
    EXPECT_EQ(FakePlatform::readFile(hosts), "0.0.0.0\tlocalhost\r\n0.0.0.0\tads.example\r\n#\tnote\r\n");
}

TEST_F(HostsCommandsTest, RowsLoadedBeforeAnotherProgramsChangeAreNotWrittenOverIt)
{
    session.document.load();
    const std::string theirs = threeLines + "0.0.0.0\ttheirs.example\r\n";
    changeOnDiskElsewhere(theirs);
    EXPECT_THROW(session.apply(vendrel::planSaveRows(session.document, "Edit Line")), vendrel::ChangedElsewhere);
    EXPECT_THROW(session.apply(vendrel::planSort(session.document)), vendrel::ChangedElsewhere);
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs);

    // Commands that build on the file as it is now keep the other change.
    const std::string added = fake.writeFile(fake.root() + "/added", "0.0.0.0 added.example\n");
    session.apply(vendrel::planAppend(session.document, added));
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs + "0.0.0.0 added.example\r\n");
    session.document.load();
    session.apply(vendrel::planSaveRows(session.document, "Edit Line"));
}

TEST_F(HostsCommandsTest, APlanWritesNothingAndWhatItPlannedIsWhatIsWritten)
{
    session.document.load();
    vendrel::SaveList(session.document.rows(), data + "/hostsbak.bak");
    fake.writeFile(data + "/hostsbak.bak", "127.0.0.1 localhost\r\n");
    observer.calls.clear();

    const vendrel::PlannedChange restored = vendrel::planRestoreBackup(session.document, data + "/hostsbak.bak");
    const vendrel::PlannedChange sorted = vendrel::planSort(session.document);
    EXPECT_EQ(restored.command, "Restore Backup");
    EXPECT_EQ(restored.after, "127.0.0.1\tlocalhost\r\n");
    EXPECT_EQ(sorted.command, "Sort File");
    EXPECT_EQ(sorted.before, threeLines);
    EXPECT_EQ(sorted.after, "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n");
    EXPECT_EQ(FakePlatform::readFile(hosts), threeLines);
    EXPECT_EQ(session.document.rows().size(), 3u) << "the rows still stand for the file";
    EXPECT_EQ(observer.calls, std::vector<std::string>());
    EXPECT_EQ(versionCount(), 0u);

    session.apply(sorted);
    EXPECT_EQ(FakePlatform::readFile(hosts), sorted.after);
    ASSERT_EQ(versionCount(), 1u);
    EXPECT_EQ(session.writer.history()->versions().front().command, "Sort File");
    EXPECT_EQ(session.writer.history()->bytes(session.writer.history()->versions().front().number), threeLines);
}

TEST_F(HostsCommandsTest, APlannedChangeIsNotWrittenOverAnotherProgramsChange)
{
    session.document.load();
    const std::string added = fake.writeFile(fake.root() + "/added", "0.0.0.0 added.example\n");
    const vendrel::PlannedChange append = vendrel::planAppend(session.document, added);
    const std::string theirs = threeLines + "0.0.0.0\ttheirs.example\r\n";
    changeOnDiskElsewhere(theirs);
    EXPECT_THROW(session.apply(append), vendrel::ChangedElsewhere);
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs);
    EXPECT_EQ(versionCount(), 0u);

    EXPECT_THROW(vendrel::planAppend(session.document, fake.root() + "/missing"), vendrel::Error);
    session.apply(vendrel::planAppend(session.document, added));
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs + "0.0.0.0 added.example\r\n");
}

// The one rule of staleness: the file must still hold the bytes a change was
// planned from. Written again with those very bytes, it still does.
TEST_F(HostsCommandsTest, AFileWrittenAgainWithTheSameBytesStillTakesTheChange)
{
    session.document.load();
    const vendrel::PlannedChange sorted = vendrel::planSort(session.document);
    changeOnDiskElsewhere(threeLines);
    session.apply(sorted);
    EXPECT_EQ(FakePlatform::readFile(hosts), sorted.after);

    session.document.load();
    vendrel::toggleLineComment(session.document.rows(), 1);
    changeOnDiskElsewhere(sorted.after);
    session.apply(vendrel::planSaveRows(session.document, "Toggle Comment"));
    EXPECT_NE(FakePlatform::readFile(hosts), sorted.after);

    // Bytes of the same length are no proof.
    const vendrel::PlannedChange again = vendrel::planSort(session.document);
    std::string sameLength = FakePlatform::readFile(hosts);
    sameLength[0] = sameLength[0] == '#' ? '1' : '#';
    changeOnDiskElsewhere(sameLength);
    EXPECT_THROW(session.apply(again), vendrel::ChangedElsewhere);
    EXPECT_EQ(FakePlatform::readFile(hosts), sameLength);
}

struct UnchangedCase {
    const char* name;
    std::function<vendrel::PlannedChange(SessionDriver&, const std::string& data)> plan;
};

class APlanThatChangesNothing : public HostsCommandsTest, public testing::WithParamInterface<UnchangedCase> {};

TEST_P(APlanThatChangesNothing, WritesNothingAndKeepsNoVersion)
{
    const std::string sorted = "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n";
    fake.writeFile(hosts, sorted);
    fake.writeFile(data + "/list.txt", "127.0.0.1 ads.example\r\n");
    session.document.load();
    const auto identity = platform::fileIdentity(hosts);
    for (int run = 0; run < 3; ++run) {
        const vendrel::AppliedChange applied = session.apply(GetParam().plan(session, data));
        EXPECT_FALSE(applied.written) << "run " << run;
    }
    EXPECT_EQ(platform::fileIdentity(hosts), identity) << "the file was written";
    EXPECT_EQ(FakePlatform::readFile(hosts), sorted);
    EXPECT_FALSE(session.writer.history() && versionCount() > 0) << "a version was kept";
}

INSTANTIATE_TEST_SUITE_P(
    HostsCommands, APlanThatChangesNothing,
    testing::Values(UnchangedCase{"SortOfASortedFile",
                                  [](SessionDriver& s, auto&) { return vendrel::planSort(s.document); }},
                    UnchangedCase{"LeanSortOfASortedFile",
                                  [](SessionDriver& s, auto&) {
                                      return vendrel::planSortFile(s.document, vendrel::BytesBefore::GivenUp);
                                  }},
                    UnchangedCase{"MergeOfWhatIsThere",
                                  [](SessionDriver& s, const std::string& data) {
                                      return vendrel::planMerge(s.document, data + "/list.txt");
                                  }}),
    [](const testing::TestParamInfo<UnchangedCase>& info) { return std::string(info.param.name); });

TEST_F(HostsCommandsTest, TheSameDownloadMergedAgainAndAgainIsWrittenOnce)
{
    session.document.load();
    std::vector<bool> written;
    for (int run = 0; run < 3; ++run) {
        std::filesystem::copy_file(VENDREL_ARCHIVE_FIXTURES "/stored-upper.zip", data + "/hosts.zip");
        written.push_back(session
                              .apply(vendrel::planDownloadedList(session.document, data + "/hosts.zip", "hosts",
                                                                 vendrel::DownloadUse::Merge, data))
                              .written);
    }
    EXPECT_EQ(written, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(versionCount(), 1u);
}

TEST_F(HostsCommandsTest, CommandsThatNeedABlockingAddressChangeNothingWithoutOne)
{
    const std::string unusual = "192.168.0.9 localhost\r\n0.0.0.0 ads.example\r\n";
    fake.writeFile(hosts, unusual);
    session.document.load();
    for (const auto& command : {std::function<void()>([&] { vendrel::planSwap(session.document); }),
                                std::function<void()>([&] { vendrel::planRemoveBlocking(session.document); })}) {
        try {
            command();
            ADD_FAILURE() << "the command ran";
        } catch (const vendrel::NoBlockingAddress& refusal) {
            EXPECT_NE(std::string(refusal.what()).find("192.168.0.9 localhost"), std::string::npos) << refusal.what();
        }
    }
    EXPECT_EQ(FakePlatform::readFile(hosts), unusual);
    EXPECT_EQ(session.document.rows().address(1), "0.0.0.0") << "the rows are as loaded";
}

TEST_F(HostsCommandsTest, ADownloadedListIsAppliedAndRemovedWithItsArchiveHoweverItEnds)
{
    const std::string archive = data + "/hosts.zip";
    std::filesystem::copy_file(VENDREL_ARCHIVE_FIXTURES "/stored-upper.zip", archive);
    session.document.load();
    std::string list;
    session.apply(vendrel::planDownloadedList(session.document, archive, "hosts", vendrel::DownloadUse::Replace, data,
                                              {}, &list));
    // Only the list's blocking entries, after a localhost line that keeps the blocking address.
    EXPECT_TRUE(FakePlatform::readFile(hosts).starts_with("127.0.0.1 localhost\r\n127.0.0.1 "))
        << FakePlatform::readFile(hosts);
    EXPECT_EQ(FakePlatform::readFile(hosts).find("# Test block list"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_FALSE(std::filesystem::exists(list));

    const std::string before = FakePlatform::readFile(hosts);
    fake.writeFile(archive, "<html>not an archive</html>");
    session.document.load();
    EXPECT_THROW(vendrel::planDownloadedList(session.document, archive, "hosts", vendrel::DownloadUse::Merge, data),
                 vendrel::Error);
    EXPECT_EQ(FakePlatform::readFile(hosts), before);
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST(HostsCommandsLocking, ADocumentWhoseOwnerHoldsTheLockDoesNotWaitForIt)
{
    FakePlatform fake;
    const std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", threeLines);
    const platform::FileLock held = vendrel::lockHostsFile(hosts);
    SessionDriver session(hosts, fake.root(), vendrel::Locking::HeldByOwner);
    const auto started = std::chrono::steady_clock::now();
    session.document.load();
    session.apply(vendrel::planSort(session.document));
    session.document.load();
    session.apply(vendrel::planSaveRows(session.document, "Edit Line"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << "no access waited for the lock";
    EXPECT_EQ(FakePlatform::readFile(hosts), "127.0.0.1\tlocalhost\r\n\t\r\n127.0.0.1\tads.example\r\n");
}

} // namespace

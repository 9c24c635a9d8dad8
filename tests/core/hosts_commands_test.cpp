// The hosts session: what each command does to the hosts file and to the rows
// a view shows, and what it refuses.

#include "core/session/hosts_session.h"

#include "core/hosts/hosts_file_guard.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing_support::FakePlatform;
using vendrel::HostsSession;

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

class HostsSessionTest : public testing::Test {
protected:
    FakePlatform fake;
    std::string data = fake.root() + "/data";
    std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", threeLines);
    HostsSession session{hosts, data, HostsSession::Locking::EachAccess};
    RecordingObserver observer{session.rows()};

    void SetUp() override
    {
        std::filesystem::create_directories(data);
        session.setObserver(&observer);
    }
    void changeOnDiskElsewhere(const std::string& text)
    {
        std::this_thread::sleep_for(10ms); // a new modification time even on coarse clocks
        vendrel::writeWholeFile(hosts, text);
    }
};

TEST_F(HostsSessionTest, AViewIsToldAroundEveryWholesaleChangeOfTheRows)
{
    session.load();
    EXPECT_EQ(session.redirectAddress(), "127.0.0.1");
    session.FileSort({}, 40);
    EXPECT_EQ(session.rows().size(), 40u) << "the rows no longer stand for the file";
    EXPECT_EQ(FakePlatform::readFile(hosts), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n");
    session.load();
    session.swapLocalhosts();
    EXPECT_EQ(session.redirectAddress(), "0.0.0.0");
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"about to replace 1", "replaced 3", "about to replace 3",
                                                        "replaced 40", "about to replace 40", "replaced 3",
                                                        "about to replace 3", "replaced 3"}));
    EXPECT_EQ(FakePlatform::readFile(hosts), "0.0.0.0\tlocalhost\r\n\t\r\n0.0.0.0\tads.example\r\n");
}

TEST_F(HostsSessionTest, RowsLoadedBeforeAnotherProgramsChangeAreNotWrittenOverIt)
{
    session.load();
    const std::string theirs = threeLines + "0.0.0.0\ttheirs.example\r\n";
    changeOnDiskElsewhere(theirs);
    EXPECT_THROW(session.save("Edit Line"), vendrel::ChangedElsewhere);
    EXPECT_THROW(session.FileSort(), vendrel::ChangedElsewhere);
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs);

    // Commands that build on the file as it is now keep the other change.
    const std::string added = fake.writeFile(fake.root() + "/added", "0.0.0.0 added.example\n");
    session.FileAppend(added);
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs + "0.0.0.0 added.example\r\n");
    session.load();
    session.save("Edit Line");
}

TEST_F(HostsSessionTest, ARehearsedCommandWritesNothingAndWhatItFoundIsWhatIsWritten)
{
    session.load();
    session.saveBackup();
    const std::string backup = session.backupPath();
    fake.writeFile(backup, "127.0.0.1 localhost\r\n");
    observer.calls.clear();

    const vendrel::RehearsedChange restored = session.rehearse([&] { session.restoreBackup(); });
    const vendrel::RehearsedChange sorted = session.rehearse([&] { session.FileSort({}, 40); });
    EXPECT_EQ(restored.command, "Restore Backup");
    EXPECT_EQ(restored.after, "127.0.0.1\tlocalhost\r\n");
    EXPECT_EQ(sorted.command, "Sort File");
    EXPECT_EQ(sorted.before, threeLines);
    EXPECT_EQ(sorted.after, "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n");
    EXPECT_EQ(FakePlatform::readFile(hosts), threeLines);
    EXPECT_EQ(session.rows().size(), 3u) << "the rows still stand for the file";
    EXPECT_EQ(observer.calls, std::vector<std::string>());
    EXPECT_TRUE(session.history()->versions().empty());
    EXPECT_FALSE(session.rehearsing());

    session.carryOut(sorted);
    EXPECT_EQ(FakePlatform::readFile(hosts), sorted.after);
    ASSERT_EQ(session.history()->versions().size(), 1u);
    EXPECT_EQ(session.history()->versions().front().command, "Sort File");
    EXPECT_EQ(session.history()->bytes(session.history()->versions().front().number), threeLines);
}

TEST_F(HostsSessionTest, ARehearsedChangeIsNotWrittenOverAnotherProgramsChange)
{
    session.load();
    const std::string added = fake.writeFile(fake.root() + "/added", "0.0.0.0 added.example\n");
    const vendrel::RehearsedChange append = session.rehearse([&] { session.FileAppend(added); });
    ASSERT_TRUE(append.changesFile());
    const std::string theirs = threeLines + "0.0.0.0\ttheirs.example\r\n";
    changeOnDiskElsewhere(theirs);
    EXPECT_THROW(session.carryOut(append), vendrel::ChangedElsewhere);
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs);
    EXPECT_TRUE(session.history()->versions().empty());

    // A command that fails while rehearsed ends the rehearsal: the next command writes.
    EXPECT_THROW(session.rehearse([&] { session.FileAppend(fake.root() + "/missing"); }), vendrel::Error);
    session.FileAppend(added);
    EXPECT_EQ(FakePlatform::readFile(hosts), theirs + "0.0.0.0 added.example\r\n");
}

TEST_F(HostsSessionTest, CommandsThatNeedABlockingAddressChangeNothingWithoutOne)
{
    const std::string unusual = "fe80::1%lo0 localhost\r\n0.0.0.0 ads.example\r\n";
    fake.writeFile(hosts, unusual);
    session.load();
    for (const auto& command : {std::function<void()>([&] { session.swapLocalhosts(); }),
                                std::function<void()>([&] { session.removeBlockingEntries(); })}) {
        try {
            command();
            ADD_FAILURE() << "the command ran";
        } catch (const vendrel::NoBlockingAddress& refusal) {
            EXPECT_NE(std::string(refusal.what()).find("fe80::1%lo0 localhost"), std::string::npos) << refusal.what();
        }
    }
    EXPECT_EQ(FakePlatform::readFile(hosts), unusual);
    EXPECT_EQ(session.rows().address(1), "0.0.0.0") << "the rows are as loaded";
}

TEST_F(HostsSessionTest, ADownloadedListIsAppliedAndRemovedWithItsArchiveHoweverItEnds)
{
    const std::string archive = data + "/hosts.zip";
    std::filesystem::copy_file(VENDREL_ARCHIVE_FIXTURES "/stored-upper.zip", archive);
    session.load();
    const std::string list = session.applyDownloadedList(archive, "hosts", vendrel::DownloadUse::Replace);
    EXPECT_TRUE(FakePlatform::readFile(hosts).starts_with("# Test block list")) << FakePlatform::readFile(hosts);
    EXPECT_FALSE(std::filesystem::exists(archive));
    EXPECT_FALSE(std::filesystem::exists(list));

    const std::string before = FakePlatform::readFile(hosts);
    fake.writeFile(archive, "<html>not an archive</html>");
    session.load();
    EXPECT_THROW(session.applyDownloadedList(archive, "hosts", vendrel::DownloadUse::Merge), vendrel::Error);
    EXPECT_EQ(FakePlatform::readFile(hosts), before);
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST(HostsSessionLocking, ASessionWhoseOwnerHoldsTheLockDoesNotWaitForIt)
{
    FakePlatform fake;
    const std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", threeLines);
    const platform::FileLock held = vendrel::lockHostsFile(hosts);
    HostsSession session(hosts, fake.root(), HostsSession::Locking::HeldByOwner);
    const auto started = std::chrono::steady_clock::now();
    session.load();
    session.FileSort();
    session.load();
    session.save("Edit Line");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << "no access waited for the lock";
    EXPECT_EQ(FakePlatform::readFile(hosts), "127.0.0.1\tlocalhost\r\n\t\r\n127.0.0.1\tads.example\r\n");
}

} // namespace

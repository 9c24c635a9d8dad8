// What a rewrite in place left after a kill is put in place only when it
// proves the file is its own unfinished work; anything else keeps both texts.

#include "core/error.h"
#include "core/history/hosts_history.h"
#include "core/session/interrupted_write.h"
#include "platform/atomic_file.h"
#include "platform/posix/rewrite_record.h"
#include "platform/privileged_writer.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using platform::posix::RewriteRecord;
using testing_support::FakePlatform;

const std::string oldText = "127.0.0.1 localhost\n0.0.0.0 old-one.example\n0.0.0.0 old-two.example\n";
const std::string newText = "127.0.0.1 localhost\n0.0.0.0 new.example\n";
const std::string longText =
    "127.0.0.1 localhost\n0.0.0.0 new.example\n0.0.0.0 new-two.example\n0.0.0.0 more.example\n";

// What an editor that truncates and writes does: the same file, other bytes.
void overwriteInPlace(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

RewriteRecord recordOf(std::string before, std::string after)
{
    return RewriteRecord{0, 0, 0, 0644, std::move(after), std::move(before)};
}

struct StateCase {
    const char* name;
    std::string before;
    std::string after;
    std::string current;
    bool provesRewrite;
};

TEST(UnfinishedRewrite, OnlyTheStatesOfOurOwnRewriteProveIt)
{
    const std::size_t middle = 25;
    const std::vector<StateCase> cases = {
        {"the new text whole", oldText, newText, newText, true},
        {"nothing written yet", oldText, newText, oldText, true},
        {"new start, old rest", oldText, newText, newText.substr(0, middle) + oldText.substr(middle), true},
        {"new whole, old tail before the cut", oldText, newText, newText + oldText.substr(newText.size()), true},
        {"a longer text cut short", oldText, longText, longText.substr(0, oldText.size() + 5), true},
        {"a longer text in grown room", oldText, longText,
         longText.substr(0, 10) + oldText.substr(10) + std::string(longText.size() - oldText.size(), '\0'), true},
        {"another program's text", oldText, newText, "0.0.0.0 other.example\n", false},
        {"new start, then not the old rest", oldText, newText,
         newText.substr(0, middle) + std::string(oldText.size() - middle, 'x'), false},
        {"the old rest at the wrong length", oldText, newText, newText.substr(0, middle) + oldText.substr(middle + 1),
         false},
        {"longer than either text", oldText, newText, oldText + "0.0.0.0 added.example\n", false},
        {"an empty file for a text", oldText, newText, "", false},
    };
    for (const StateCase& c : cases)
        EXPECT_EQ(platform::posix::isUnfinishedRewrite(c.current, recordOf(c.before, c.after)), c.provesRewrite)
            << c.name;
    RewriteRecord unreadOld = recordOf({}, newText);
    unreadOld.oldText.reset();
    EXPECT_TRUE(platform::posix::isUnfinishedRewrite(newText, unreadOld));
    EXPECT_FALSE(platform::posix::isUnfinishedRewrite(newText.substr(0, middle), unreadOld))
        << "without the old text, only the whole new text proves the rewrite";
}

TEST(RewriteRecordFile, ADamagedRecordIsRefused)
{
    const std::string whole = platform::posix::encodeRewriteRecord(recordOf(oldText, newText));
    const RewriteRecord read = platform::posix::decodeRewriteRecord(whole, "record");
    EXPECT_EQ(read.newText, newText);
    EXPECT_EQ(read.oldText, oldText);
    EXPECT_EQ(read.mode, 0644u);

    const std::size_t body = whole.find("\n\n") + 2;
    std::string flipped = whole;
    flipped[body + 3] ^= 1;
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"cut short", whole.substr(0, whole.size() - 1)},
        {"a byte more", whole + "x"},
        {"a changed byte in a text", flipped},
        {"no header", newText},
        {"another format", "other-record 1\n\n" + whole.substr(body)},
        {"a huge length", std::string(whole).replace(whole.find("new-length ") + 11, 2, "99999999999999999999")},
        {"empty", ""},
    };
    for (const auto& [name, file] : damaged)
        EXPECT_THROW(platform::posix::decodeRewriteRecord(file, "record"), platform::FileError) << name;
}

// The state a kill in the middle of rewriting the hosts file in place leaves,
// then what another program did to it meanwhile.
class InterruptedRewrite : public testing::Test {
public:
    FakePlatform fake;
    std::string folder = fake.root() + "/etc";
    std::string target = folder + "/hosts";
    std::string record = folder + "/.hosts.complete-copy";
    std::string cut = newText.substr(0, 25) + oldText.substr(25);
    vendrel::HostsHistory history{fake.root() + "/data/history"};

    void SetUp() override
    {
        fs::create_directories(folder);
        fake.writeFile(target, cut);
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        RewriteRecord kept{info.st_dev, info.st_ino, info.st_uid, info.st_mode, newText, oldText};
        fake.writeFile(record, platform::posix::encodeRewriteRecord(kept));
    }

    std::optional<std::string> settle(std::optional<vendrel::HostsHistory> kept)
    {
        return vendrel::settleInterruptedWrite(target, std::move(kept), vendrel::Locking::EachAccess);
    }
};

TEST_F(InterruptedRewrite, OurOwnUnfinishedWriteIsFinishedAndLeavesNothing)
{
    const auto note = settle(history);
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("it was finished from its record " + record), std::string::npos) << *note;
    EXPECT_EQ(FakePlatform::readFile(target), newText);
    EXPECT_FALSE(fs::exists(record));
    EXPECT_TRUE(history.versions().empty());
    EXPECT_FALSE(settle(history).has_value());
}

struct Meanwhile {
    const char* name;
    std::function<void(InterruptedRewrite&)> happen;
    const char* reason;
    bool fileExistsAfter;
};

TEST_F(InterruptedRewrite, AnythingElseKeepsBothTextsAndChangesNothing)
{
    const std::vector<Meanwhile> cases = {
        {"another program rewrote the file in place",
         [](InterruptedRewrite& t) { overwriteInPlace(t.target, "0.0.0.0 theirs.example\n"); }, "was changed since",
         true},
        {"the file was removed", [](InterruptedRewrite& t) { fs::remove(t.target); }, "no longer exists", false},
        {"another file took its place",
         [](InterruptedRewrite& t) {
             t.fake.writeFile(t.target + ".new", t.cut);
             fs::rename(t.target + ".new", t.target);
         },
         "is another file now", true},
    };
    for (const Meanwhile& c : cases) {
        SetUp();
        const std::string historyFolder = fake.root() + "/data-" + std::to_string(&c - cases.data());
        vendrel::HostsHistory kept(historyFolder);
        c.happen(*this);
        const std::string before = fs::exists(target) ? FakePlatform::readFile(target) : std::string();
        const auto note = settle(kept);
        ASSERT_TRUE(note.has_value()) << c.name;
        EXPECT_NE(note->find(c.reason), std::string::npos) << c.name << ": " << *note;
        EXPECT_EQ(fs::exists(target), c.fileExistsAfter) << c.name << ": nothing is created";
        if (c.fileExistsAfter) {
            EXPECT_EQ(FakePlatform::readFile(target), before) << c.name;
        }
        const auto versions = kept.versions();
        ASSERT_EQ(versions.size(), 1u) << c.name;
        EXPECT_EQ(versions[0].move, vendrel::HistoryMove::Aside) << c.name;
        EXPECT_EQ(kept.bytes(versions[0].number), newText) << c.name << ": the unfinished text is kept";
        EXPECT_FALSE(kept.nextUndo().has_value()) << c.name << ": a text never written is not undone";
        EXPECT_FALSE(fs::exists(record)) << c.name;
    }
}

TEST_F(InterruptedRewrite, WithoutAHistoryTheRecordStaysAndSaysWhere)
{
    overwriteInPlace(target, "0.0.0.0 theirs.example\n");
    const auto note = settle(std::nullopt);
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("stays in " + record), std::string::npos) << *note;
    EXPECT_EQ(FakePlatform::readFile(target), "0.0.0.0 theirs.example\n");
    EXPECT_TRUE(fs::exists(record));
}

TEST_F(InterruptedRewrite, ARecordThatCannotSpeakForTheFileIsNotUsed)
{
    std::string damaged = FakePlatform::readFile(record);
    damaged[damaged.size() - 2] ^= 1;
    fake.writeFile(record, damaged);
    const auto note = settle(history);
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("is damaged"), std::string::npos) << *note;
    EXPECT_EQ(FakePlatform::readFile(target), cut);
    EXPECT_TRUE(history.versions().empty()) << "a damaged text is no version";

    fs::remove(record);
    fs::create_symlink(fake.root() + "/elsewhere", record);
    EXPECT_THROW(settle(history), vendrel::Error) << "a link in the record's place is not followed";
    EXPECT_EQ(FakePlatform::readFile(target), cut);
}

TEST_F(InterruptedRewrite, ARecordOfAnotherUserIsNotUsed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    ASSERT_EQ(::chmod(fake.root().c_str(), 0755), 0);
    ASSERT_EQ(::chown(record.c_str(), 65534, 65534), 0);
    const auto note = settle(history);
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("belongs to user 65534"), std::string::npos) << *note;
    EXPECT_EQ(FakePlatform::readFile(target), cut);
    EXPECT_TRUE(history.versions().empty()) << "another user's text is no version of this file";
}

// Stands in for the administrator's helper, which may read a record this
// user may not.
struct RepairingHelper final : platform::PrivilegedWriter {
    explicit RepairingHelper(std::string record) : record(std::move(record)) {}
    bool authorise() override { return true; }
    void write(std::string_view) override {}
    void repair() override
    {
        ++repairs;
        fs::remove(record);
    }
    std::string record;
    int repairs = 0;
};

TEST_F(InterruptedRewrite, ARecordThisUserCannotReadIsLeftToTheAdministratorsHelper)
{
    fs::remove(record);
    ASSERT_EQ(::mkfifo(record.c_str(), 0600), 0); // a record no user's run can read
    RepairingHelper helper(record);
    const auto note = vendrel::settleInterruptedWrite(target, history, vendrel::Locking::EachAccess, &helper);
    EXPECT_EQ(helper.repairs, 1);
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("the administrator's helper finished it"), std::string::npos) << *note;
    ASSERT_EQ(::mkfifo(record.c_str(), 0600), 0);
    EXPECT_THROW(vendrel::settleInterruptedWrite(target, history, vendrel::Locking::EachAccess), vendrel::Error)
        << "without the helper nothing else may settle it";
}

} // namespace

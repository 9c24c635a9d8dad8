// The atomic writer under the faults a user's machine meets: a full disk, a
// kill in the middle of a write, a single file mounted over another, hard
// links, stale temporary files and metadata a rename would lose.

#include "core/error.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/text_file.h"
#include "core/session/interrupted_write.h"
#include "platform/atomic_file.h"
#include "platform/posix/rewrite_record.h"
#include "platform/write_faults.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using platform::write_faults::Step;
using testing_support::FakePlatform;
using testing_support::namesIn;

constexpr std::uint64_t mebibyte = 1 << 20;

// A text of about `bytes` bytes of hosts lines, different for each `seed`.
std::string hostsText(std::size_t bytes, char seed)
{
    std::string text;
    for (std::size_t line = 0; text.size() < bytes; ++line)
        text += "0.0.0.0\tads-" + std::string(1, seed) + std::to_string(line) + ".example\r\n";
    return text;
}

struct stat statOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// Runs `body` in a child process and returns its wait status: the child may
// end itself midway, as a kill would.
int inChild(const std::function<void()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            body();
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// Ends the process with SIGKILL's status once `step` reaches `offset`.
void dieAt(Step step, std::uint64_t offset)
{
    platform::write_faults::install([step, offset](Step now, std::uint64_t at) {
        if (now == step && at >= offset)
            ::raise(SIGKILL);
        return 0;
    });
}

class WriteSafety : public testing::Test {
protected:
    FakePlatform fake;
    std::string folder = fake.root() + "/etc";
    std::string target = folder + "/hosts";
    std::string copy = folder + "/.hosts.complete-copy";
    std::string oldText = hostsText(3 * mebibyte, 'o');
    std::string newText = hostsText(3 * mebibyte + 4096, 'n');
    std::vector<std::string> mounts;

    void SetUp() override
    {
        fs::create_directories(folder);
        fake.writeFile(target, oldText);
    }
    void TearDown() override
    {
        platform::write_faults::clear();
        for (auto it = mounts.rbegin(); it != mounts.rend(); ++it)
            ::umount2(it->c_str(), MNT_DETACH);
    }

    std::optional<std::string> settle()
    {
        return vendrel::settleInterruptedWrite(target, std::nullopt, vendrel::Locking::EachAccess);
    }

    // A second name for the target, which makes every write go in place.
    void linkTarget() { ASSERT_EQ(::link(target.c_str(), (folder + "/hosts.link").c_str()), 0); }

    bool mount(const std::string& source, const std::string& at, const char* type, unsigned long flags,
               const std::string& options = {})
    {
        if (::mount(source.c_str(), at.c_str(), type, flags, options.empty() ? nullptr : options.c_str()) != 0)
            return false;
        mounts.push_back(at);
        return true;
    }
};

TEST_F(WriteSafety, HardLinkedFileIsRewrittenInPlaceAndStaysOneFile)
{
    linkTarget();
    const ino_t inode = statOf(target).st_ino;
    vendrel::writeWholeFile(target, newText);
    EXPECT_EQ(statOf(target).st_ino, inode);
    EXPECT_EQ(statOf(target).st_nlink, 2u);
    EXPECT_EQ(FakePlatform::readFile(folder + "/hosts.link"), newText);
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"hosts", "hosts.link"}));
}

TEST_F(WriteSafety, InPlaceFailureMidwayKeepsTheCompleteCopyAndTheNextStartFinishesIt)
{
    linkTarget();
    platform::write_faults::install(
        [](Step step, std::uint64_t offset) { return step == Step::InPlace && offset >= mebibyte ? ENOSPC : 0; });
    try {
        vendrel::writeWholeFile(target, newText);
        FAIL() << "the write succeeded";
    } catch (const vendrel::Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Cannot finish rewriting " + target), std::string::npos) << message;
        EXPECT_NE(message.find(copy), std::string::npos) << message;
    }
    platform::write_faults::clear();
    EXPECT_EQ(platform::posix::decodeRewriteRecord(FakePlatform::readFile(copy), copy).newText, newText);

    const auto note = settle();
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find(copy), std::string::npos) << *note;
    EXPECT_EQ(FakePlatform::readFile(target), newText);
    EXPECT_EQ(FakePlatform::readFile(folder + "/hosts.link"), newText);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(settle().has_value());
}

TEST_F(WriteSafety, KillDuringTheInPlaceRewriteIsRepairedByTheNextRun)
{
    linkTarget();
    const int status = inChild([&] {
        dieAt(Step::InPlace, 2 * mebibyte);
        vendrel::writeWholeFile(target, newText);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_NE(FakePlatform::readFile(target), newText); // cut short by the kill
    ASSERT_TRUE(settle().has_value());
    EXPECT_EQ(FakePlatform::readFile(target), newText);
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"hosts", "hosts.link"}));
}

TEST_F(WriteSafety, KillWhileTheNewTextIsWrittenLeavesTheOldFileAndNoTemporary)
{
    const int status = inChild([&] {
        dieAt(Step::NewFile, 2 * mebibyte);
        vendrel::writeWholeFile(target, newText);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(FakePlatform::readFile(target), oldText);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
    EXPECT_FALSE(settle().has_value());
}

TEST_F(WriteSafety, StaleTemporariesOfDeadWritersAreRemovedAndNeverBlockAWrite)
{
    // The name an earlier version made of the process id and a counter: in a
    // fresh PID namespace every run would have chosen it again.
    fake.writeFile(folder + "/.hosts.tmp-1-0", "stale");
    fake.writeFile(folder + "/.hosts.tmp-Zq81Kd0pLmA2", "stale");
    vendrel::writeWholeFile(target, newText);
    EXPECT_EQ(FakePlatform::readFile(target), newText);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
}

TEST_F(WriteSafety, OwnerSetIdBitsAndExtendedAttributesAreKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file another owner needs root";
    if (::chown(target.c_str(), 1234, 4321) != 0)
        GTEST_SKIP() << "this root may not give files away: " << std::strerror(errno);
    ASSERT_EQ(::chmod(target.c_str(), 06754), 0);
    const char label[] = "kept";
    if (::setxattr(target.c_str(), "user.vendrel-test", label, sizeof label, 0) != 0)
        GTEST_SKIP() << "this file system has no user attributes";
    vendrel::writeWholeFile(target, newText);
    const struct stat info = statOf(target);
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 4321u);
    EXPECT_EQ(info.st_mode & 07777, 06754u);
    char value[16] = {};
    EXPECT_EQ(::getxattr(target.c_str(), "user.vendrel-test", value, sizeof value), static_cast<ssize_t>(sizeof label));
    EXPECT_STREQ(value, label);
}

TEST_F(WriteSafety, ASingleMountedFileIsRewrittenInPlace)
{
    const std::string source = fake.writeFile(fake.root() + "/outside/hosts", oldText);
    if (!mount(source, target, nullptr, MS_BIND))
        GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(errno);
    vendrel::writeWholeFile(target, newText);
    EXPECT_EQ(FakePlatform::readFile(source), newText);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
}

// A mounted file on a nearly full disk: the new text does not fit, so the
// old one must stay whole; a smaller one that fits is written.
TEST_F(WriteSafety, AFullDiskUnderAMountedFileLeavesTheOldTextWhole)
{
    const std::string small = fake.root() + "/small";
    fs::create_directories(small);
    if (!mount("vendrel-test", small, "tmpfs", 0, "size=4m"))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const std::string source = fake.writeFile(small + "/hosts", oldText);
    if (!mount(source, target, nullptr, MS_BIND))
        GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(errno);
    try {
        vendrel::writeWholeFile(target, newText + newText);
        FAIL() << "the write succeeded on a full disk";
    } catch (const vendrel::Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(target), std::string::npos) << message;
        EXPECT_NE(message.find("not changed"), std::string::npos) << message;
    }
    EXPECT_EQ(FakePlatform::readFile(source), oldText);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});

    const std::string shorter = hostsText(mebibyte, 's');
    vendrel::writeWholeFile(target, shorter);
    EXPECT_EQ(FakePlatform::readFile(source), shorter);
}

TEST_F(WriteSafety, AKillBetweenCopyAndRewriteStillEndsInTheNewText)
{
    linkTarget();
    const int status = inChild([&] {
        dieAt(Step::InPlace, 0);
        vendrel::writeWholeFile(target, newText);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(FakePlatform::readFile(target), oldText);
    ASSERT_TRUE(settle().has_value());
    EXPECT_EQ(FakePlatform::readFile(target), newText);
}

// A file the user may write in a folder they may not: the temporary file
// cannot be made, and the message must say that the folder is the reason.
TEST_F(WriteSafety, AReadOnlyFolderIsNamedAsTheReason)
{
    ASSERT_EQ(::chmod(fake.root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    std::string message;
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int status = inChild([&] {
        // Root may write any folder: the write is tried as an ordinary user.
        if (::geteuid() == 0 && ::setuid(65534) != 0)
            ::_exit(5);
        try {
            vendrel::writeWholeFile(target, newText);
        } catch (const vendrel::Error& error) {
            const std::string text = error.what();
            [[maybe_unused]] const auto sent = ::write(pipeEnds[1], text.data(), text.size());
        }
    });
    ::close(pipeEnds[1]);
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    ::chmod(folder.c_str(), 0755);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 5)
        GTEST_SKIP() << "this root may not become an ordinary user";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(message, "Cannot write " + target + ": its folder " + folder + " cannot be written (Permission denied)");
    EXPECT_EQ(FakePlatform::readFile(target), oldText);
}

// A whole write leaves an older record where it is: it can no longer prove
// anything about the new file, so it is never put over it.
TEST_F(WriteSafety, AnOlderRecordIsNeverPutOverAWholeWrite)
{
    linkTarget();
    const int status = inChild([&] {
        dieAt(Step::InPlace, mebibyte);
        vendrel::writeWholeFile(target, newText);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    fs::remove(folder + "/hosts.link");
    const std::string later = hostsText(mebibyte, 'l');
    fake.writeFile(target + ".new", later);
    fs::rename(target + ".new", target); // another program replaces the file whole
    const auto note = settle();
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("is another file now"), std::string::npos) << *note;
    EXPECT_EQ(FakePlatform::readFile(target), later);
}

} // namespace

// The lock around every load-change-write, and the editor's check that the
// file on disk is still the one its rows came from.

#include "core/error.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/file_lock.h"

#include "fake_platform.h"
#include "session_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing_support::FakePlatform;

class FileLocking : public testing::Test {
protected:
    FakePlatform fake;
    std::string target = fake.writeFile(fake.root() + "/etc/hosts", "127.0.0.1 localhost\r\n");
};

TEST_F(FileLocking, ASecondWriterGivesUpWithAMessageNamingTheFile)
{
    const platform::FileLock held(target);
    const auto started = std::chrono::steady_clock::now();
    try {
        const platform::FileLock second(target, 300ms);
        FAIL() << "a second lock was granted";
    } catch (const platform::FileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Cannot change " + target), std::string::npos) << message;
        EXPECT_NE(message.find("nothing was changed"), std::string::npos) << message;
    }
    EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
}

// Each writer replaces the file (a new inode); a waiter must then lock the
// new file, not the one it opened before, or two would change it at once.
TEST_F(FileLocking, WritersThatReplaceTheFileStillTakeTurns)
{
    vendrel::writeWholeFile(target, "0");
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::thread> writers;
    for (int writer = 0; writer < 8; ++writer)
        writers.emplace_back([&] {
            for (int round = 0; round < 10; ++round) {
                const platform::FileLock lock(target, 20s);
                if (++inside > 1)
                    overlapped = true;
                const int count = std::stoi(vendrel::readWholeFile(target));
                vendrel::writeWholeFile(target, std::to_string(count + 1));
                --inside;
            }
        });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(FakePlatform::readFile(target), "80");
}

// Between the replacing rename and the release of the lock, a waiter that
// opens the new file must not get in ahead of the writer still finishing.
TEST_F(FileLocking, TheFileAWriterPutInPlaceStaysLockedUntilItsLockIsReleased)
{
    const std::string missing = fake.root() + "/etc/new-hosts";
    for (const std::string& path : {target, missing}) {
        std::optional<platform::FileLock> held(std::in_place, path);
        vendrel::writeWholeFile(path, "new text");
        vendrel::writeWholeFile(path, "newer text");
        EXPECT_THROW(platform::FileLock(path, 100ms), platform::FileError) << path;
        held.reset();
        EXPECT_NO_THROW(platform::FileLock(path, 100ms)) << path;
    }
}

TEST_F(FileLocking, AMissingFileIsLockedThroughItsFolder)
{
    const std::string missing = fake.root() + "/etc/new-hosts";
    const platform::FileLock held(missing);
    EXPECT_THROW(platform::FileLock(missing, 100ms), platform::FileError);
}

TEST_F(FileLocking, TheEditorDoesNotOverwriteAnOutsideChange)
{
    testing_support::SessionDriver session(target, {});
    session.document.load();
    const auto write = [&](std::string text) {
        session.apply(vendrel::planSaveText(session.document, std::move(text), session.document.basis()));
    };
    EXPECT_EQ(session.document.readCurrent().bytes, "127.0.0.1 localhost\r\n");
    write("127.0.0.1\tlocalhost\r\n0.0.0.0\tmine.example\r\n");

    std::this_thread::sleep_for(10ms); // a new modification time even on coarse clocks
    vendrel::writeWholeFile(target, "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n");
    EXPECT_THROW(session.document.readUnchanged(), vendrel::ChangedElsewhere);
    EXPECT_THROW(write("127.0.0.1\tlocalhost\r\n"), vendrel::ChangedElsewhere);
    EXPECT_EQ(FakePlatform::readFile(target), "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n");

    // Commands that build on the file as it is now keep the other change.
    const std::string added = fake.writeFile(fake.root() + "/added", "0.0.0.0 added.example\n");
    session.apply(vendrel::planAppend(session.document, added));
    EXPECT_EQ(FakePlatform::readFile(target),
              "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n0.0.0.0 added.example\r\n");
    write("127.0.0.1\tlocalhost\r\n");
    EXPECT_EQ(FakePlatform::readFile(target), "127.0.0.1\tlocalhost\r\n");
}

} // namespace

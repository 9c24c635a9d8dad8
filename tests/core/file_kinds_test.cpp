// What a path given as the hosts file or as a file to read may be: only a
// regular file, or a link that leads to one, is read or replaced. A named
// pipe must not hang the tools, a device must not be read or replaced.

#include "core/bulk/line_file_writers.h"
#include "core/error.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;

// Fails the test instead of hanging it when a read blocks.
class Deadline {
public:
    Deadline() { ::alarm(20); }
    ~Deadline() { ::alarm(0); }
};

class FileKinds : public testing::Test {
protected:
    FakePlatform fake;
    std::string folder = fake.root() + "/kinds";

    void SetUp() override { fs::create_directories(folder); }

    std::string fifo()
    {
        const std::string path = folder + "/pipe";
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    }

    template <typename Action>
    std::string refusal(Action&& action)
    {
        const Deadline deadline;
        try {
            action();
        } catch (const vendrel::Error& error) {
            return error.what();
        }
        ADD_FAILURE() << "accepted";
        return {};
    }
};

TEST_F(FileKinds, NamedPipeIsRefusedAtOnceAsHostsFileAndAsFileToRead)
{
    const std::string pipe = fifo();
    for (const std::string& message :
         {refusal([&] { vendrel::loadHostsFile(pipe); }), refusal([&] { vendrel::readTextLines(pipe); })}) {
        EXPECT_NE(message.find(pipe), std::string::npos) << message;
        EXPECT_NE(message.find("a named pipe (FIFO), not a regular file"), std::string::npos) << message;
    }
    const std::string written = refusal([&] { vendrel::writeWholeFile(pipe, "0.0.0.0 x\r\n"); });
    EXPECT_NE(written.find("not a regular file"), std::string::npos) << written;
    struct stat info {};
    ASSERT_EQ(::lstat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(FileKinds, DevicesAreNeitherReadNorReplaced)
{
    const std::string zero = refusal([] { vendrel::readWholeFile("/dev/zero"); });
    EXPECT_NE(zero.find("a character device"), std::string::npos) << zero;

    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    // A node of the null device in the test's own folder, as --hosts /dev/null would name it.
    const std::string node = folder + "/null";
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "this root may not make device nodes";
    const std::string message = refusal([&] { vendrel::writeWholeFile(node, "0.0.0.0 x\r\n"); });
    EXPECT_NE(message.find("a character device, not a regular file"), std::string::npos) << message;
    struct stat info {};
    ASSERT_EQ(::lstat(node.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(testing_support::namesIn(folder), std::vector<std::string>{"null"});
}

TEST_F(FileKinds, ADanglingLinkIsRefusedAndNothingIsCreated)
{
    const std::string link = folder + "/hosts";
    fs::create_symlink(folder + "/gone", link);
    const std::string message = refusal([&] { vendrel::writeWholeFile(link, "0.0.0.0 x\r\n"); });
    EXPECT_NE(message.find("symbolic link to " + folder + "/gone, which does not exist"), std::string::npos) << message;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::exists(folder + "/gone"));
}

TEST_F(FileKinds, ALinkThatLeadsToAFileIsFollowedAndStaysALink)
{
    const std::string real = fake.writeFile(folder + "/real-hosts", "127.0.0.1 localhost\r\n");
    const std::string link = folder + "/hosts";
    fs::create_symlink(real, link);
    EXPECT_EQ(vendrel::loadHostsFile(link).rows.size(), 1u);
    vendrel::writeWholeFile(link, "0.0.0.0 new.example\r\n");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(FakePlatform::readFile(real), "0.0.0.0 new.example\r\n");
}

TEST_F(FileKinds, AFileLargerThanTheLimitIsRefusedBeforeItIsRead)
{
    const std::string big = folder + "/big";
    {
        std::FILE* file = std::fopen(big.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    fs::resize_file(big, vendrel::maximumTextFileSize + 1); // sparse: no disk is spent
    const std::string message = refusal([&] { vendrel::readWholeFile(big); });
    EXPECT_NE(message.find("larger than 1 GiB"), std::string::npos) << message;
}

} // namespace

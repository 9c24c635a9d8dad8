// Version files are read back as hostile input: whatever a planted or
// damaged one claims, reading it ends in the history's own error, soon and
// without spending what it claims, and leaves the hosts file as it is.

#include "core/history/hosts_history.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"
#include "session_driver.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using testing_support::FakePlatform;
using testing_support::SessionDriver;

const std::string hostsText = "127.0.0.1\tlocalhost\r\n0.0.0.0\tads.example\r\n";

// A version file with this header's chunk lines and these compressed bytes.
std::string versionFile(const std::string& chunkLines, const std::string& data)
{
    return "vendrel history version 1\nnumber 1\ntime 1600000000\ncommand Sort File\nlines-before 2\n"
           "lines-after 2\nhash 9-12345678\nhash-after 9-12345678\nmove change\nstepped 0\n" +
           chunkLines + "\n" + data;
}

std::string repeated(const std::string& line, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += line;
    return text;
}

struct HostileVersion {
    const char* name;
    std::string file;
};

void PrintTo(const HostileVersion& c, std::ostream* os) { *os << c.name; }

class AHostileVersion : public testing::TestWithParam<HostileVersion> {
protected:
    FakePlatform fake;
    std::string data = fake.root() + "/data";
    std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", hostsText);
};

TEST_P(AHostileVersion, IsDamageAndNeverWrittenBack)
{
    fake.writeFile(data + "/history/00000001.version", GetParam().file);
    vendrel::HostsHistory history(data + "/history");
    try {
        history.bytes(1);
        ADD_FAILURE() << "the version was read";
    } catch (const vendrel::Error& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("00000001.version"), std::string::npos) << refusal.what();
    }
    SessionDriver session(hosts, data);
    session.document.load();
    EXPECT_THROW(session.apply(vendrel::planRestoreVersion(session.document, session.writer.history(), 1)),
                 vendrel::Error);
    EXPECT_EQ(FakePlatform::readFile(hosts), hostsText);
}

INSTANTIATE_TEST_SUITE_P(
    HostileVersions, AHostileVersion,
    testing::Values(HostileVersion{"SizesAddingUpPastTwoToTheSixtyFour",
                                   versionFile("chunk 18446744073709551615 10\nchunk 2 10\n", std::string(20, 'x'))},
                    HostileVersion{"TwelveGibibytesClaimedByAHundredBytes",
                                   versionFile("chunk 12884901888 100\n", std::string(100, 'x'))},
                    HostileVersion{"ASizeOfTwoToTheSixtyThree",
                                   versionFile("chunk 9223372036854775808 5\n", std::string(5, 'x'))},
                    HostileVersion{"AHundredThousandChunks",
                                   versionFile(repeated("chunk 1 1\n", 100000), std::string(100000, 'x'))}),
    [](const testing::TestParamInfo<HostileVersion>& info) { return std::string(info.param.name); });

// A named pipe in place of a version is refused, not waited on: run in a
// child, so that a hang is seen as one.
TEST(HostileVersionFiles, ANamedPipeIsRefusedNotWaitedOn)
{
    FakePlatform fake;
    const std::string data = fake.root() + "/data";
    const std::string hosts = fake.writeFile(fake.root() + "/etc/hosts", hostsText);
    std::filesystem::create_directories(data + "/history");
    ASSERT_EQ(::mkfifo((data + "/history/00000001.version").c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        vendrel::HostsHistory history(data + "/history");
        const bool listedNothing = history.versions().empty();
        SessionDriver session(hosts, data);
        session.document.load();
        bool refused = false;
        try {
            session.undo();
        } catch (const vendrel::Error&) {
            refused = true;
        }
        ::_exit(listedNothing && refused ? 0 : 3);
    }
    int status = 0;
    for (int waited = 0; waited < 100 && ::waitpid(child, &status, WNOHANG) == 0; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (::waitpid(child, &status, WNOHANG) == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "reading the history waited on the named pipe";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(FakePlatform::readFile(hosts), hostsText);
}

} // namespace

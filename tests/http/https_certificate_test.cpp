// An https download from a server whose certificate the system's store does
// not vouch for is an error that names the host, and nothing is written.
// The server is openssl's own test server with a certificate made here.

#include "grabber_fixture.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using testing_support::UrlGrabberTest;

// A port no one listens on now.
int freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

bool accepts(int port)
{
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(client);
    return connected;
}

TEST_F(UrlGrabberTest, ACertificateTheSystemDoesNotTrustIsAnErrorNamingTheHost)
{
    const std::string key = folders.root() + "/key.pem";
    const std::string certificate = folders.root() + "/certificate.pem";
    const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout '" + key +
                             "' -out '" + certificate + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        GTEST_SKIP() << "openssl cannot make a certificate here, so no https server can be started";
    const std::string port = std::to_string(freePort());
    std::vector<std::string> words = {"openssl", "s_server", "-quiet",    "-www", "-accept",
                                      port,      "-cert",    certificate, "-key", key};
    std::vector<char*> arguments;
    for (std::string& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    pid_t server = 0;
    ASSERT_EQ(::posix_spawnp(&server, "openssl", nullptr, nullptr, arguments.data(), environ), 0);
    for (int waited = 0; waited < 100 && !accepts(std::stoi(port)); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    grabber.setUrl("https://127.0.0.1:" + port + "/hosts.zip");
    grabber.Start();
    EXPECT_TRUE(grabber.waitUntilEnded(20000));
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    EXPECT_EQ(recorder.error.rfind("The certificate of 127.0.0.1 could not be verified (", 0), 0u) << recorder.error;
    EXPECT_FALSE(std::filesystem::exists(target));
}

} // namespace

#include "platform/posix/child_process.h"

#include "platform/atomic_file.h"
#include "platform/posix/unique_fd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform::posix {
namespace {

// Sends all of `input`, then shuts the socket's sending side so that the
// child sees the end. A child that stops reading early gives EPIPE, not
// SIGPIPE.
void sendAll(int socket, std::string_view input)
{
    while (!input.empty()) {
        const ssize_t sent = ::send(socket, input.data(), input.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            break;
        input.remove_prefix(static_cast<std::size_t>(sent));
    }
    ::shutdown(socket, SHUT_WR);
}

// A socket message of one byte with room for one open file.
struct FileMessage {
    FileMessage()
    {
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
    }
    FileMessage(const FileMessage&) = delete;
    FileMessage& operator=(const FileMessage&) = delete;

    char byte = 'F';
    iovec data{&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
};

// The open file the child passed over the socket before it ended, if any.
UniqueFd receivePassedFile(int socket)
{
    FileMessage received;
    if (::recvmsg(socket, &received.message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC) <= 0)
        return {};
    const cmsghdr* header = CMSG_FIRSTHDR(&received.message);
    if (!header || header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS ||
        header->cmsg_len != CMSG_LEN(sizeof(int)))
        return {};
    int fd = -1;
    std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
    return UniqueFd(fd);
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

int waitForExit(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ChildOutcome runWithInput(const std::vector<std::string>& arguments, std::string_view input)
{
    int inputPair[2];
    int errorPipe[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputPair) != 0)
        throw FileError("Cannot start " + arguments.front() + ": " + std::strerror(errno));
    UniqueFd ours(inputPair[0]), theirs(inputPair[1]);
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        throw FileError("Cannot start " + arguments.front() + ": " + std::strerror(errno));
    UniqueFd errorRead(errorPipe[0]), errorWrite(errorPipe[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errorWrite.get(), STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = ::posix_spawn(&child, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw FileError("Cannot start " + arguments.front() + ": " + std::strerror(failed));
    theirs = UniqueFd();
    errorWrite = UniqueFd();

    std::jthread sender(sendAll, ours.get(), input);
    ChildOutcome outcome;
    outcome.errorOutput = readAll(errorRead.get());
    sender.join();
    outcome.exitStatus = waitForExit(child);
    outcome.passedFile = receivePassedFile(ours.get());
    return outcome;
}

bool passFileToParent(int fd)
{
    FileMessage sent;
    cmsghdr* header = CMSG_FIRSTHDR(&sent.message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    return ::sendmsg(STDIN_FILENO, &sent.message, MSG_NOSIGNAL) == 1;
}

} // namespace platform::posix

// vendrel-hosts-writer: replaces the system hosts file by the text on its
// standard input. It runs with administrator rights, started through pkexec
// by the editor or vendrel-cli for a user who may not write the file, so it
// trusts nothing it is given: the file it writes is fixed here and must not
// be a symbolic link, the text must arrive whole (exactly the length and
// SHA-256 digest its caller names) and be plain text within the size limit,
// and every write is logged.
//
//   vendrel-hosts-writer --length N --sha256 HEX   write standard input as the hosts file
//   vendrel-hosts-writer --repair   finish a rewrite of it that was interrupted, when provably its own
//   vendrel-hosts-writer --check    only prove that the caller was authorised
//
// Exit status: 0 written (or repaired, or authorised), 1 refused or failed
// (the reason on standard error), 2 wrong usage. The caller holds the hosts
// file's lock.

#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/posix/child_process.h"
#include "platform/posix/held_locks.h"
#include "platform/sha256.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>
#include <vector>

namespace {

// The one file this helper writes. A test build may point it at a scratch
// file through the environment; the installed helper never can.
std::string targetPath()
{
#ifdef VENDREL_HOSTS_WRITER_TESTING
    if (const char* scratch = std::getenv("VENDREL_HOSTS_WRITER_TARGET"))
        return scratch;
#endif
    return "/etc/hosts";
}

std::string caller()
{
    const char* uid = std::getenv("PKEXEC_UID");
    return uid ? "user " + std::string(uid) : "uid " + std::to_string(::getuid());
}

int refuse(const std::string& reason)
{
    syslog(LOG_WARNING, "refused a write of %s for %s: %s", targetPath().c_str(), caller().c_str(), reason.c_str());
    std::fprintf(stderr, "%s\n", reason.c_str());
    return 1;
}

// Standard input up to one byte beyond `length`, so that a longer text is
// told apart without reading all of it.
bool readInput(std::string& text, std::size_t length)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > length)
            return true;
    }
}

// The reason the target may not be written, when it is a symbolic link: a
// link would let this helper write wherever it points.
std::string symbolicLinkRefusal()
{
    struct stat info {};
    if (::lstat(targetPath().c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return {};
    std::error_code error;
    return targetPath() + " is a symbolic link to " + std::filesystem::read_symlink(targetPath(), error).string() +
           ", so it was not changed; only a regular file is written.";
}

int writeHosts(std::size_t length, const std::string& digest)
{
    std::string text;
    if (length > vendrel::maximumTextFileSize)
        return refuse("The new hosts file is larger than 1 GiB, so " + targetPath() + " was not changed.");
    if (!readInput(text, length))
        return refuse(std::string("Cannot read the new hosts file: ") + std::strerror(errno));
    if (text.size() != length)
        return refuse("The new hosts file arrived " + std::string(text.size() < length ? "incomplete" : "too long") +
                      " (" + std::to_string(text.size()) + (text.size() > length ? " or more" : "") + " of " +
                      std::to_string(length) + " bytes), so " + targetPath() + " was not changed.");
    if (platform::sha256Hex(text) != digest)
        return refuse("The new hosts file arrived damaged (its SHA-256 digest differs), so " + targetPath() +
                      " was not changed.");
    if (text.find('\0') != std::string::npos)
        return refuse("The new hosts file holds NUL bytes, so it is not plain text; " + targetPath() +
                      " was not changed.");
    if (const std::string link = symbolicLinkRefusal(); !link.empty())
        return refuse(link);
    try {
        platform::posix::keepUnclaimedReplacements();
        platform::writeFileAtomically(targetPath(), text);
    } catch (const platform::FileError& error) {
        return refuse(error.what());
    }
    // The caller holds the lock of the file this one replaced; the new file
    // is locked as long as it is open, so the caller keeps it open in turn.
    if (const platform::posix::UniqueFd replacement = platform::posix::takeUnclaimedReplacement())
        platform::posix::passFileToParent(replacement.get());
    syslog(LOG_NOTICE, "%s replaced %s (%zu bytes)", caller().c_str(), targetPath().c_str(), text.size());
    return 0;
}

int repairHosts()
{
    if (const std::string link = symbolicLinkRefusal(); !link.empty())
        return refuse(link);
    try {
        const auto found = platform::finishInterruptedRewrite(targetPath());
        if (found && !found->finished())
            return refuse("The last rewrite of " + targetPath() + " was interrupted, but " + found->notFinishedBecause +
                          ", so it was not finished; the file and the record " + found->recordPath +
                          " were left as they are.");
        if (found)
            syslog(LOG_NOTICE, "%s finished an interrupted rewrite of %s", caller().c_str(), targetPath().c_str());
    } catch (const platform::FileError& error) {
        return refuse(error.what());
    }
    return 0;
}

std::optional<std::size_t> lengthArgument(std::string_view text)
{
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return length;
}

int usage()
{
    std::fprintf(stderr, "usage: vendrel-hosts-writer --length N --sha256 HEX < NEW-HOSTS-FILE\n"
                         "       vendrel-hosts-writer --repair | --check\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    ::umask(022); // a file it creates is the administrator's, readable by all
    ::openlog("vendrel-hosts-writer", LOG_PID, LOG_AUTHPRIV);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && arguments[0] == "--check") {
        syslog(LOG_INFO, "%s was authorised to change %s", caller().c_str(), targetPath().c_str());
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--repair")
        return repairHosts();
    if (arguments.size() != 4 || arguments[0] != "--length" || arguments[2] != "--sha256")
        return usage();
    const std::optional<std::size_t> length = lengthArgument(arguments[1]);
    if (!length || !platform::isSha256Hex(arguments[3]))
        return usage();
    return writeHosts(*length, std::string(arguments[3]));
}

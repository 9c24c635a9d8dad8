// vendrel-hosts-writer: replaces the system hosts file by the text on its
// standard input. It runs with administrator rights, started through pkexec
// by the editor or vendrel-cli for a user who may not write the file, so it
// trusts nothing it is given: the file it writes is fixed here, the text must
// be plain text within the size limit, and every write is logged.
//
//   vendrel-hosts-writer           write standard input as the hosts file
//   vendrel-hosts-writer --check   only prove that the caller was authorised
//
// Exit status: 0 written (or authorised), 1 refused or failed (the reason on
// standard error), 2 wrong usage. The caller holds the hosts file's lock.

#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <syslog.h>
#include <unistd.h>

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

// Standard input up to one byte beyond the limit, so that a larger text is
// told apart without reading all of it.
bool readInput(std::string& text)
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
        if (text.size() > vendrel::maximumTextFileSize)
            return true;
    }
}

int writeHosts()
{
    std::string text;
    if (!readInput(text))
        return refuse(std::string("Cannot read the new hosts file: ") + std::strerror(errno));
    if (text.size() > vendrel::maximumTextFileSize)
        return refuse("The new hosts file is larger than 1 GiB, so " + targetPath() + " was not changed.");
    if (text.find('\0') != std::string::npos)
        return refuse("The new hosts file holds NUL bytes, so it is not plain text; " + targetPath() +
                      " was not changed.");
    try {
        platform::writeFileAtomically(targetPath(), text);
    } catch (const platform::FileError& error) {
        return refuse(error.what());
    }
    syslog(LOG_NOTICE, "%s replaced %s (%zu bytes)", caller().c_str(), targetPath().c_str(), text.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ::openlog("vendrel-hosts-writer", LOG_PID, LOG_AUTHPRIV);
    if (argc == 2 && std::string_view(argv[1]) == "--check") {
        syslog(LOG_INFO, "%s was authorised to change %s", caller().c_str(), targetPath().c_str());
        return 0;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: vendrel-hosts-writer [--check] < NEW-HOSTS-FILE\n");
        return 2;
    }
    return writeHosts();
}

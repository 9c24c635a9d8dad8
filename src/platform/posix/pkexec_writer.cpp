#include "platform/posix/pkexec_writer.h"

#include "platform/posix/child_process.h"
#include "platform/posix/held_locks.h"
#include "platform/sha256.h"

#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {
namespace {

// pkexec's own exit codes: the authorisation dialog was dismissed, or the
// user is not authorised.
constexpr int dialogDismissed = 126;
constexpr int notAuthorised = 127;

constexpr const char* helperName = "vendrel-hosts-writer";
// The one file the helper writes.
constexpr const char* systemHostsFile = "/etc/hosts";

bool isExecutable(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::filesystem::path programFolder()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

std::string firstExecutable(const std::vector<std::filesystem::path>& candidates)
{
    for (const auto& candidate : candidates)
        if (isExecutable(candidate))
            return candidate.string();
    return {};
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

bool PkexecHostsWriter::authorise()
{
    const ChildOutcome outcome = runWithInput({pkexec_, helper_, "--check"}, {});
    return outcome.exitStatus == 0;
}

void PkexecHostsWriter::write(std::string_view bytes)
{
    struct stat replaced {};
    const bool existed = ::stat(systemHostsFile, &replaced) == 0;
    // The length and digest let the helper tell a text cut short (a caller
    // killed while sending it) from a whole one.
    UniqueFd replacement = runHelper({"--length", std::to_string(bytes.size()), "--sha256", sha256Hex(bytes)}, bytes,
                                     "The helper that writes the hosts file failed; the hosts file was not changed.");
    // The helper passed back the new file, locked: this process's lock of
    // the file it replaced goes on to it, as if it had replaced it itself.
    if (replacement && existed)
        passHeldLockOn(replaced, std::move(replacement));
}

void PkexecHostsWriter::repair()
{
    runHelper({"--repair"}, {}, "The helper that writes the hosts file could not finish its interrupted rewrite.");
}

UniqueFd PkexecHostsWriter::runHelper(std::vector<std::string> arguments, std::string_view input, const char* failure)
{
    arguments.insert(arguments.begin(), {pkexec_, helper_});
    ChildOutcome outcome = runWithInput(arguments, input);
    if (outcome.exitStatus == 0)
        return std::move(outcome.passedFile);
    if (outcome.exitStatus == dialogDismissed || outcome.exitStatus == notAuthorised)
        throw AuthorisationRefused("The administrator's authorisation to change the hosts file was not given, "
                                   "so the hosts file was not changed.");
    const std::string reason = trimmed(outcome.errorOutput);
    throw FileError(reason.empty() ? failure : reason);
}

std::unique_ptr<PkexecHostsWriter> findPkexecHostsWriter()
{
    const std::string pkexec = firstExecutable({"/usr/bin/pkexec", "/bin/pkexec", "/usr/local/bin/pkexec"});
    const std::filesystem::path folder = programFolder();
    const std::string helper = firstExecutable({folder / helperName, folder.parent_path() / "libexec" / helperName,
                                                std::filesystem::path(VENDREL_LIBEXEC_DIR) / helperName});
    if (pkexec.empty() || helper.empty())
        return nullptr;
    return std::make_unique<PkexecHostsWriter>(pkexec, helper);
}

} // namespace platform::posix

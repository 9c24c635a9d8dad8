#include "platform/posix/pkexec_writer.h"

#include "platform/posix/child_process.h"

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace platform::posix {
namespace {

// pkexec's own exit codes: the authorisation dialog was dismissed, or the
// user is not authorised.
constexpr int dialogDismissed = 126;
constexpr int notAuthorised = 127;

constexpr const char* helperName = "vendrel-hosts-writer";

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
    const ChildOutcome outcome = runWithInput({pkexec_, helper_}, bytes);
    if (outcome.exitStatus == 0)
        return;
    if (outcome.exitStatus == dialogDismissed || outcome.exitStatus == notAuthorised)
        throw AuthorisationRefused("The administrator's authorisation to change the hosts file was not given, "
                                   "so the hosts file was not changed.");
    const std::string reason = trimmed(outcome.errorOutput);
    throw FileError(reason.empty() ? "The helper that writes the hosts file failed; the hosts file was not changed."
                                   : reason);
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

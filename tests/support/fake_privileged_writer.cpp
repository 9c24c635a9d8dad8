#include "fake_privileged_writer.h"

#include <filesystem>

namespace testing_support {

void FakePrivilegedWriter::write(std::string_view bytes)
{
    if (!grantsAuthorisation)
        throw platform::AuthorisationRefused("The administrator's authorisation to change the hosts file was not "
                                             "given, so the hosts file was not changed.");
    namespace fs = std::filesystem;
    const fs::perms mode = fs::status(path_).permissions();
    fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
    platform::writeFileAtomically(path_, bytes);
    fs::permissions(path_, mode);
    ++writes;
}

void FakePrivilegedWriter::repair()
{
    ++repairs;
    const auto found = platform::finishInterruptedRewrite(path_);
    if (found && !found->finished())
        throw platform::FileError(found->notFinishedBecause);
}

} // namespace testing_support

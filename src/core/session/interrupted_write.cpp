#include "core/session/interrupted_write.h"

#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/platform.h"

namespace vendrel {
namespace {

constexpr const char* asideCommand = "Text of an interrupted rewrite";

std::string keptAside(const std::string& path, const platform::InterruptedRewrite& found,
                      std::optional<HostsHistory> history)
{
    const std::string start = "The last rewrite of " + path + " was interrupted, but " + found.notFinishedBecause +
                              ", so it was not finished and the file was left as it is";
    if (!found.newText && !history)
        return start + "; the record " + found.recordPath + " was left as it is too.";
    if (!found.newText)
        return start + "; the record " + found.recordPath + " was not used and was left as it is.";
    if (!history)
        return start + "; the text that rewrite was writing stays in " + found.recordPath + ".";
    const std::string current = platform::fileIdentity(path) ? readWholeFile(path) : std::string();
    const VersionInfo kept = history->keep(asideCommand, *found.newText, current, HistoryMove::Aside);
    platform::discardRewriteRecord(found);
    return start + "; the text that rewrite was writing is kept as version " + std::to_string(kept.number) +
           " of its history.";
}

std::string settledByHelper(const std::string& path, platform::PrivilegedWriter& privileged)
{
    try {
        privileged.repair();
    } catch (const platform::AuthorisationRefused& refused) {
        throw WriteNotAuthorised(refused.what());
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
    return "The last rewrite of " + path + " was interrupted; the administrator's helper finished it.";
}

} // namespace

std::optional<std::string> settleInterruptedWrite(const std::string& path, std::optional<HostsHistory> history,
                                                  Locking locking, platform::PrivilegedWriter* privileged)
{
    const auto lock = lockForAccess(path, locking);
    std::optional<platform::InterruptedRewrite> found;
    try {
        found = platform::finishInterruptedRewrite(path);
    } catch (const platform::FileError& error) {
        if (privileged)
            return settledByHelper(path, *privileged);
        throw Error(std::string(error.what()) + ". " + path +
                    " may be incomplete after an interrupted rewrite; run the program as a user who may write it.");
    }
    if (!found)
        return std::nullopt;
    if (found->finished())
        return "The last rewrite of " + path + " was interrupted; it was finished from its record " +
               found->recordPath + ".";
    return keptAside(path, *found, history);
}

} // namespace vendrel

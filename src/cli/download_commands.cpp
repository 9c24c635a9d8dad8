#include "cli/cli_handlers.h"

#include "core/download/block_list_fetch.h"
#include "core/download/unzip/extract_members.h"
#include "core/error.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/hosts_loader.h"

#include <charconv>
#include <filesystem>
#include <optional>

namespace vendrel::cli {
namespace {

const char* const dnsRunning =
    "the DNS Client service is running and should be disabled before a large hosts file is used; "
    "download cancelled";

struct DownloadRequest {
    const BlockListSource* list = nullptr;
    bool merge = false;
    std::string url;
    std::optional<int> timeLimitSeconds; // the grabber's own limit when not given
    bool quiet = false;                  // no progress at all
};

// The list and the mode, and the options --url, --max-seconds and --quiet.
DownloadRequest parseDownload(const CliContext& context)
{
    DownloadRequest request;
    const std::string& list = context.arguments[0];
    const std::string& mode = context.arguments[1];
    if (list == mvpsHostsList.name)
        request.list = &mvpsHostsList;
    else if (list == hpHostsList.name)
        request.list = &hpHostsList;
    else
        throw UsageError("unknown block list " + list);
    if (mode != "merge" && mode != "replace")
        throw UsageError("unknown use " + mode + " of the block list");
    request.merge = mode == "merge";
    request.url = context.options.value("--url").value_or(std::string());
    if (const auto seconds = context.options.value("--max-seconds"))
        request.timeLimitSeconds = secondsArgument(*seconds);
    request.quiet = context.options.has("--quiet");
    return request;
}

// Where the progress of a download goes: redrawn on one line of a terminal,
// otherwise (a log file, say) one line when the download has ended.
class ProgressLine {
public:
    ProgressLine(std::ostream& console, bool terminal, bool quiet)
        : console_(console), terminal_(terminal), quiet_(quiet)
    {
    }
    void update(std::uint64_t position, std::uint64_t total)
    {
        position_ = position;
        total_ = total;
        if (terminal_ && !quiet_)
            console_ << '\r' << text() << std::flush;
    }
    void end()
    {
        if (quiet_ || position_ == 0)
            return;
        console_ << (terminal_ ? std::string() : "Downloaded " + std::to_string(position_) + " bytes") << '\n';
    }

private:
    std::string text() const
    {
        return "Downloading " + std::to_string(position_) + (total_ ? " of " + std::to_string(total_) : std::string()) +
               " bytes";
    }

    std::ostream& console_;
    bool terminal_;
    bool quiet_;
    std::uint64_t position_ = 0;
    std::uint64_t total_ = 0;
};

// Fetches the request's list into the data folder, showing progress on the
// console; throws Error with the reason when the transfer fails, which
// leaves the archive's path as it was.
void fetch(BlockListFetch& fetch, const DownloadRequest& request, const std::string& dataFolder, const bool& delivered,
           const std::string& failure, ProgressLine& progress)
{
    fetch.start(*request.list, request.merge ? DownloadUse::Merge : DownloadUse::Replace, request.url, dataFolder,
                request.timeLimitSeconds);
    while (!fetch.waitUntilEnded(1000)) {
    }
    progress.end();
    if (!delivered)
        throw Error("Vendrel had trouble downloading " + fetch.url() + ": " +
                    (failure.empty() ? "no data arrived" : failure));
}

} // namespace

void downloadCommand(CliContext& context)
{
    const DownloadRequest request = parseDownload(context);
    if (dnsClientRefusesDownload(context.system))
        throw Error(dnsRunning);
    loadHostsFile(context.hostsPath); // a hosts file the editor cannot hold is refused before the download
    createDataFolder(context);
    ProgressLine progress(context.err, context.errIsTerminal, request.quiet);
    bool delivered = false;
    std::string failure;
    // The command line has no event loop: events run on the transfer's own thread.
    BlockListFetch download([](std::function<void()> event) { event(); },
                            {[&](std::uint64_t position, std::uint64_t total) { progress.update(position, total); },
                             [&] { delivered = true; }, [&](const std::string& message) { failure = message; }});
    fetch(download, request, context.dataDir, delivered, failure, progress);
    try {
        // The hosts file is locked for the change only, not for the download.
        const platform::FileLock lock = lockHostsFile(context.hostsPath);
        CliSession session = openSession(context);
        session.document.load();
        finishChange(context, session, download.planArrivedList(session.document));
    } catch (...) {
        // Also when the hosts file could not be locked or loaded: nothing downloaded stays behind.
        download.discardArchive();
        throw;
    }
}

void unzipCommand(CliContext& context)
{
    const auto& arguments = context.arguments;
    const ExtractResult result = extractMembers(arguments[0], arguments[1], arguments[2]);
    if (result.nothingSelected())
        throw Error("The archive " + arguments[0] + " holds no file named " + arguments[1] + ".");
    if (!result.note.empty())
        context.err << result.note << '\n';
    context.out << result.writtenFiles.front() << '\n';
}

} // namespace vendrel::cli

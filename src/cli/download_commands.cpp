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

const char* const downloadUsage =
    "usage: vendrel-cli download mvps|hphosts merge|replace [--url URL] [--max-seconds N] [--quiet]";

struct DownloadRequest {
    const BlockListSource* list = nullptr;
    bool merge = false;
    std::string url;
    std::optional<int> timeLimitSeconds; // the grabber's own limit when not given
    bool quiet = false;                  // no progress at all
};

// A whole number of seconds, 1 or more.
int secondsArgument(const std::string& text)
{
    int seconds = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, seconds);
    if (failure != std::errc() || stop != end || seconds < 1)
        throw UsageError("--max-seconds needs a whole number of seconds, 1 or more");
    return seconds;
}

// The list and the mode, then the options --url, --max-seconds and --quiet,
// each at most once and in any order.
DownloadRequest parseDownload(const std::vector<std::string>& arguments)
{
    DownloadRequest request;
    if (arguments[0] == mvpsHostsList.name)
        request.list = &mvpsHostsList;
    else if (arguments[0] == hpHostsList.name)
        request.list = &hpHostsList;
    if (!request.list || (arguments[1] != "merge" && arguments[1] != "replace"))
        throw UsageError(downloadUsage);
    request.merge = arguments[1] == "merge";
    std::optional<std::string> url;
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == "--quiet" && !request.quiet)
            request.quiet = true;
        else if (option == "--url" && !url && hasValue)
            url = arguments[++i];
        else if (option == "--max-seconds" && !request.timeLimitSeconds && hasValue)
            request.timeLimitSeconds = secondsArgument(arguments[++i]);
        else
            throw UsageError(downloadUsage);
    }
    request.url = url.value_or(std::string());
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
void fetch(BlockListFetch& fetch, const DownloadRequest& request, const std::string& dataFolder,
           const bool& delivered, const std::string& failure, ProgressLine& progress)
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
    const DownloadRequest request = parseDownload(context.arguments);
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

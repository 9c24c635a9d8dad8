#include "cli/cli_handlers.h"

#include "core/bulk/file_merge.h"
#include "core/bulk/line_file_writers.h"
#include "core/download/block_lists.h"
#include "core/download/download_apply.h"
#include "core/download/service_state.h"
#include "core/download/unzip/extract_members.h"
#include "core/download/url_grabber.h"
#include "core/error.h"
#include "core/hosts/hosts_file_guard.h"
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
    "usage: vendrel-cli download mvps|hphosts merge|replace [--url URL] [--max-seconds N]";

struct DownloadRequest {
    const BlockListSource* list = nullptr;
    bool merge = false;
    std::string url;
    std::optional<int> timeLimitSeconds; // the grabber's own limit when not given
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

// The list and the mode, then the options --url and --max-seconds, each at
// most once and in any order.
DownloadRequest parseDownload(const std::vector<std::string>& arguments)
{
    DownloadRequest request;
    if (arguments[0] == mvpsHostsList.name)
        request.list = &mvpsHostsList;
    else if (arguments[0] == hpHostsList.name)
        request.list = &hpHostsList;
    if (!request.list || (arguments[1] != "merge" && arguments[1] != "replace") || arguments.size() % 2 != 0)
        throw UsageError(downloadUsage);
    request.merge = arguments[1] == "merge";
    std::optional<std::string> url;
    for (std::size_t i = 2; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        if (option == "--url" && !url)
            url = arguments[i + 1];
        else if (option == "--max-seconds" && !request.timeLimitSeconds)
            request.timeLimitSeconds = secondsArgument(arguments[i + 1]);
        else
            throw UsageError(downloadUsage);
    }
    request.url = url.value_or(request.list->url());
    return request;
}

// Fetches the request's URL into `zipPath`, showing progress on one console
// line; throws Error with the reason when the transfer fails, which leaves
// `zipPath` as it was.
void fetch(const DownloadRequest& request, const std::string& zipPath, std::ostream& console)
{
    const std::string& url = request.url;
    std::string failure;
    bool delivered = false;
    // The command line has no event loop: events run on the transfer's own thread.
    HttpUrlGrabber grabber([](const std::function<void()>& handler) { handler(); });
    grabber.Port = 0;
    grabber.setUrl(url);
    grabber.FileName = zipPath;
    if (request.timeLimitSeconds)
        grabber.TimeLimitSeconds = *request.timeLimitSeconds;
    grabber.OnProgress = [&](CustomUrlGrabber&, std::uint64_t position, std::uint64_t total, const std::string&,
                             bool&) {
        console << "\rDownloading " << position << (total ? " of " + std::to_string(total) : std::string())
                << " bytes" << std::flush;
    };
    grabber.OnDoneFile = [&](CustomUrlGrabber&, const std::string&, std::uint32_t, const std::string&) {
        delivered = true;
    };
    grabber.OnError = [&](CustomUrlGrabber&, const std::string& message) { failure = message; };
    grabber.Start();
    while (!grabber.waitUntilEnded(1000)) {
    }
    console << '\n';
    if (!delivered)
        throw Error("Vendrel had trouble downloading " + url + ": " + (failure.empty() ? "no data arrived" : failure));
}

} // namespace

void downloadCommand(CliContext& context)
{
    const DownloadRequest request = parseDownload(context.arguments);
    if (IsServiceRunning(context.system, "", dnsClientService))
        throw Error(dnsRunning);
    loadHostsFile(context.hostsPath); // a hosts file the editor cannot hold is refused before the download
    std::filesystem::create_directories(context.dataDir);
    const std::string zipPath = platform::joinPath(context.dataDir, downloadedArchiveName);
    fetch(request, zipPath, context.err);
    std::string listFile;
    try {
        listFile = extractDownloadedList(zipPath, request.list->member, context.dataDir);
        // The hosts file is locked for the change only, not for the download.
        const platform::FileLock lock = lockHostsFile(context.hostsPath);
        if (request.merge)
            mergeAndSortHostsFile(context.hostsPath, listFile,
                                  loadHostsFile(context.hostsPath).redirectAddress.value_or(""));
        else
            FileRewrite(readTextLines(listFile).lines, context.hostsPath);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(zipPath, ignored);
        if (!listFile.empty())
            std::filesystem::remove(listFile, ignored);
        throw;
    }
    std::error_code ignored;
    std::filesystem::remove(zipPath, ignored);
    std::filesystem::remove(listFile, ignored);
    printLineCount(context);
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

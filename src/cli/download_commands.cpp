#include "cli/cli_handlers.h"

#include "core/bulk/file_merge.h"
#include "core/bulk/line_file_writers.h"
#include "core/download/block_lists.h"
#include "core/download/download_apply.h"
#include "core/download/service_state.h"
#include "core/download/unzip/extract_members.h"
#include "core/download/url_grabber.h"
#include "core/error.h"
#include "core/hosts/hosts_loader.h"

#include <filesystem>

namespace vendrel::cli {
namespace {

const char* const dnsRunning =
    "the DNS Client service is running and should be disabled before a large hosts file is used; "
    "download cancelled";

struct DownloadRequest {
    const BlockListSource* list = nullptr;
    bool merge = false;
    std::string url;
};

DownloadRequest parseDownload(const std::vector<std::string>& arguments)
{
    DownloadRequest request;
    if (arguments[0] == mvpsHostsList.name)
        request.list = &mvpsHostsList;
    else if (arguments[0] == hpHostsList.name)
        request.list = &hpHostsList;
    if (!request.list || (arguments[1] != "merge" && arguments[1] != "replace") || arguments.size() == 3 ||
        (arguments.size() == 4 && arguments[2] != "--url"))
        throw UsageError("usage: vendrel-cli download mvps|hphosts merge|replace [--url URL]");
    request.merge = arguments[1] == "merge";
    request.url = arguments.size() == 4 ? arguments[3] : request.list->url();
    return request;
}

// Fetches `url` into `zipPath`, showing progress on one console line; throws
// Error with the reason when the transfer fails.
void fetch(const std::string& url, const std::string& zipPath, std::ostream& console)
{
    std::string failure;
    bool delivered = false;
    // The command line has no event loop: events run on the transfer's own thread.
    HttpUrlGrabber grabber([](const std::function<void()>& handler) { handler(); });
    grabber.Port = 0;
    grabber.setUrl(url);
    grabber.FileName = zipPath;
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
    const LoadedHosts hosts = loadHostsFile(context.hostsPath);
    std::filesystem::create_directories(context.dataDir);
    const std::string zipPath = platform::joinPath(context.dataDir, downloadedArchiveName);
    std::string listFile;
    try {
        fetch(request.url, zipPath, context.err);
        listFile = extractDownloadedList(zipPath, request.list->member, context.dataDir);
        if (request.merge)
            mergeAndSortHostsFile(context.hostsPath, listFile, hosts.redirectAddress.value_or(""));
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
    for (const std::string& written : result.writtenFiles)
        context.out << written << '\n';
}

} // namespace vendrel::cli

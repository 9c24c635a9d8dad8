#include "core/download/block_list_fetch.h"

#include "core/bulk/blocking_address.h"
#include "core/download/blocking_list_filter.h"
#include "core/download/service_state.h"
#include "core/download/unzip/extract_members.h"
#include "core/error.h"
#include "core/hosts/text_file.h"
#include "core/session/hosts_commands.h"
#include "core/sources/list_body.h"

#include <filesystem>

namespace vendrel {
namespace {

void removeIfPresent(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// Unpacks the list `member` of the archive into `folder` and returns the
// path of the file written (the first member of that name, when several
// have it). A file of that name already in the folder is never taken for
// the one just downloaded: an archive without the member is an error. A
// download that is no archive is the list itself, as a plain-text list
// (a web page or binary data in its place is an error).
std::string extractDownloadedList(const std::string& zipPath, const std::string& member, const std::string& folder,
                                  std::string_view listName)
{
    std::string bytes = unzip::readArchiveFile(zipPath);
    if (!isZipArchive(bytes)) {
        const std::string listPath = platform::joinPath(folder, member);
        writeWholeFile(listPath,
                       listTextOfBody(std::move(bytes), {std::string(listName), {}, true, ListFormat::Text, {}}));
        return listPath;
    }
    const ExtractResult result = extractMembers(ZipArchive::fromBytes(std::move(bytes), zipPath), member, folder);
    if (result.nothingSelected())
        throw Error("The archive " + zipPath + " holds no file named " + member + ".");
    return result.writtenFiles.back();
}

} // namespace

bool dnsClientRefusesDownload(platform::Platform& system) { return IsServiceRunning(system, "", dnsClientService); }

BlockListFetch::BlockListFetch(EventPoster poster, Events events) : grabber_(std::move(poster))
{
    grabber_.Referer = "www.vendrel.example.org";
    grabber_.Port = 0;
    grabber_.OnProgress = std::move(events.progress);
    grabber_.OnDoneFile = [arrived = std::move(events.arrived)](std::uint64_t) { arrived(); };
    grabber_.OnError = std::move(events.failed);
}

void BlockListFetch::start(const BlockListSource& list, DownloadUse use, std::string url, const std::string& dataFolder,
                           std::optional<int> timeLimitSeconds)
{
    url_ = url.empty() ? list.url() : std::move(url);
    use_ = use;
    member_ = list.member;
    listName_ = list.name;
    dataFolder_ = dataFolder;
    archivePath_ = platform::joinPath(dataFolder, downloadedArchiveName);
    grabber_.setUrl(url_);
    grabber_.FileName = archivePath_;
    if (timeLimitSeconds)
        grabber_.TimeLimitSeconds = *timeLimitSeconds;
    grabber_.Start();
}

void BlockListFetch::cancel() { grabber_.Stop(); }

void BlockListFetch::discardArchive() const { removeIfPresent(archivePath_); }

namespace {

// Rewrites the list unpacked at `path` to its blocking entries alone, with
// the document's blocking address, after the localhost line that carries
// that address into a file the list replaces; how many lines were left out.
std::size_t keepOnlyBlockingEntries(const HostsDocument& document, const std::string& path)
{
    const std::string_view address = sortAddressFor(document.redirectAddress());
    const BlockingList list = blockingEntriesOf(readTextFile(path), address, document.systemLines());
    writeWholeFile(path, std::string(address) + " localhost\r\n" + list.text);
    return list.leftOut;
}

} // namespace

PlannedChange BlockListFetch::planArrivedList(const HostsDocument& document, const Progress& progress,
                                              std::string* listPath)
{
    return planDownloadedList(document, archivePath_, member_, use_, dataFolder_, progress, listPath, listName_);
}

PlannedChange planDownloadedList(const HostsDocument& document, const std::string& zipPath, const std::string& member,
                                 DownloadUse use, const std::string& folder, const Progress& progress,
                                 std::string* listPath, std::string_view listName)
{
    std::string unpacked;
    try {
        unpacked = extractDownloadedList(zipPath, member, folder,
                                         listName.empty() ? std::string_view(member) : listName);
        const std::size_t leftOut = keepOnlyBlockingEntries(document, unpacked);
        PlannedChange change = use == DownloadUse::Merge ? planMerge(document, unpacked, progress, "Download Merge")
                                                         : planReplace(document, unpacked, "Download Replace");
        if (leftOut > 0)
            change.note = leftOutNote(leftOut, listName.empty() ? std::string_view(member) : listName);
        removeIfPresent(zipPath);
        removeIfPresent(unpacked);
        if (listPath)
            *listPath = unpacked;
        return change;
    } catch (...) {
        removeIfPresent(zipPath);
        if (!unpacked.empty())
            removeIfPresent(unpacked);
        throw;
    }
}

} // namespace vendrel

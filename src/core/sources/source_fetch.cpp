#include "core/sources/source_fetch.h"

#include "core/download/download_address.h"
#include "core/error.h"
#include "core/hosts/text_file.h"
#include "platform/platform.h"

#include <filesystem>
#include <memory>

namespace vendrel {
namespace {

// One source's transfer; its events run on the transfer's own thread and
// only fill in its own result.
class SourceTransfer {
public:
    SourceTransfer(FetchedSource& result, const SourceRecords& records, const FetchSettings& settings)
        : result_(result), grabber_([](std::function<void()> event) { event(); })
    {
        const ListSource& source = result.source;
        grabber_.FileName = platform::joinPath(records.folder(), "source." + source.name + ".download");
        grabber_.Port = 0;
        if (settings.timeLimitSeconds)
            grabber_.TimeLimitSeconds = *settings.timeLimitSeconds;
        if (const auto record = records.record(source.name);
            record && record->address == source.address && records.hasNames(source.name)) {
            grabber_.IfNoneMatch = record->etag;
            grabber_.IfModifiedSince = record->lastModified;
        }
        grabber_.OnDoneFile = [this](std::uint64_t) { delivered_ = true; };
        grabber_.OnError = [this](const std::string& message) { result_.failure = message; };
        grabber_.setUrl(withHost(source.address, settings.hostOverride));
        std::filesystem::create_directories(records.folder());
    }

    void start() { grabber_.Start(); }
    bool waitUntilEnded(int milliseconds) const { return grabber_.waitUntilEnded(milliseconds); }
    void stop() { grabber_.Stop(); }
    std::uint64_t received() const { return grabber_.BytesRead(); }

    // Takes what arrived into the result; the downloaded file goes.
    void finish()
    {
        const std::string path = grabber_.FileName;
        if (delivered_ && grabber_.answer().notModified) {
            result_.kind = FetchedSource::Kind::NotModified;
        } else if (delivered_) {
            try {
                result_.body = readWholeFile(path);
                result_.kind = FetchedSource::Kind::Body;
            } catch (const Error& error) {
                result_.failure = error.what();
            }
        } else if (result_.failure.empty()) {
            result_.failure = "The download was stopped.";
        }
        result_.answer = grabber_.answer();
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }

private:
    static std::string withHost(const std::string& address, const std::string& host)
    {
        if (host.empty())
            return address;
        const std::size_t start = address.find("://");
        const std::size_t from = start == std::string::npos ? 0 : start + 3;
        const std::size_t path = address.find('/', from);
        return address.substr(0, from) + host + (path == std::string::npos ? "/" : address.substr(path));
    }

    FetchedSource& result_;
    bool delivered_ = false;
    HttpUrlGrabber grabber_;
};

} // namespace

std::vector<FetchedSource> fetchSources(const std::vector<ListSource>& sources, const SourceRecords& records,
                                        const FetchSettings& settings,
                                        const std::function<void(std::uint64_t received)>& received,
                                        std::stop_token stop)
{
    std::vector<FetchedSource> results(sources.size());
    std::uint64_t done = 0;
    const std::size_t parallel = std::max<std::size_t>(settings.parallel, 1);
    for (std::size_t first = 0; first < sources.size(); first += parallel) {
        std::vector<std::unique_ptr<SourceTransfer>> batch;
        for (std::size_t i = first; i < std::min(sources.size(), first + parallel); ++i) {
            results[i].source = sources[i];
            try {
                batch.push_back(std::make_unique<SourceTransfer>(results[i], records, settings));
                batch.back()->start();
            } catch (const Error& error) {
                results[i].failure = error.what();
            }
        }
        for (const auto& transfer : batch) {
            while (!transfer->waitUntilEnded(100)) {
                if (stop.stop_requested())
                    for (const auto& other : batch)
                        other->stop();
                if (received) {
                    std::uint64_t now = done;
                    for (const auto& other : batch)
                        now += other->received();
                    received(now);
                }
            }
        }
        for (const auto& transfer : batch) {
            done += transfer->received();
            transfer->finish();
        }
    }
    return results;
}

} // namespace vendrel

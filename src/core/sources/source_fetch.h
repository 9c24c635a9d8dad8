#pragma once

#include "core/download/url_grabber.h"
#include "core/sources/block_list_sources.h"
#include "core/sources/source_records.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace vendrel {

// What the network gave for one source.
struct FetchedSource {
    enum class Kind { Body, NotModified, Failed };

    ListSource source;
    Kind kind = Kind::Failed;
    std::string body;
    HttpUrlGrabber::Answer answer;
    std::string failure; // why it failed, as the transfer said
};

struct FetchSettings {
    std::size_t parallel = 4; // transfers at once
    std::optional<int> timeLimitSeconds;
    // A host:port that takes the place of every source's host, for a test's local server.
    std::string hostOverride;
};

// Fetches every source at once, up to `settings.parallel` transfers at a
// time, each with the validators of its record (a conditional GET) when the
// record is of the same address and its names are kept; waits until all
// have ended. `received` is told the bytes received so far by all of them,
// from the calling thread. A stop ends the transfers under way and fails the rest.
std::vector<FetchedSource> fetchSources(const std::vector<ListSource>& sources, const SourceRecords& records,
                                        const FetchSettings& settings,
                                        const std::function<void(std::uint64_t received)>& received = {},
                                        std::stop_token stop = {});

} // namespace vendrel

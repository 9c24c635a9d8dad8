#pragma once

#include "core/progress.h"
#include "core/session/hosts_document.h"
#include "core/session/planned_change.h"
#include "core/sources/allow_list.h"
#include "core/sources/source_fetch.h"
#include "core/sources/source_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vendrel {

// How the update of one source ended.
struct SourceReport {
    enum class Result { Updated, Unchanged, Failed };

    std::string name;
    Result result = Result::Failed;
    std::size_t entries = 0; // the names it gives now (its last good set when it failed)
    std::size_t leftOut = 0; // lines of an updated list that were no blocking entries
    std::string reason;      // why it failed
};

// "mvps: updated, 1,204 entries", "hphosts: unchanged, 80 entries",
// "mine: failed: REASON Its 12 entries of the last update stand."
std::string describeReport(const SourceReport& report);

// "a", "a and b", "a, b and c".
std::string listedWithAnd(const std::vector<std::string>& items);

// "Flushed the name cache of systemd-resolved and nscd." for the caches
// named; empty for none.
std::string flushedCachesText(const std::vector<std::string>& caches);

// One update of the hosts file from every enabled source: planned from what
// the fetch brought, then (once the change is written, or when there is
// none) committed to the records, so that a killed update leaves records
// that the next update corrects rather than trusts.
class SourceUpdate {
public:
    // `whitelistLines` are the whitelist's lines; `now` the time the records get.
    SourceUpdate(const SourceRecords& records, std::vector<ListSource> sources,
                 const std::vector<std::string>& whitelistLines, std::int64_t now);

    // Works out what the fetched sources make of the hosts file. A source
    // that failed keeps its last good names; one that is no longer enabled
    // (or listed) gives none. An entry goes only when the last update put it
    // there, no source gives it now and it was not the user's own before.
    // `fetched` holds the enabled sources, in their order, as fetchSources
    // returns them for enabledSources(): evaluate() reads what they sent,
    // planChange() works out the change of the hosts file (none when the
    // names cannot have changed, which needs no look at the file), and
    // plan() does both.
    void evaluate(std::vector<FetchedSource> fetched, const SystemLines& systemLines);
    bool mayChangeNames() const { return !appliedStateHolds(); }
    void planChange(const HostsDocument& document, const Progress& progress = {});
    void plan(const HostsDocument& document, std::vector<FetchedSource> fetched, const Progress& progress = {});
    std::vector<ListSource> enabledSources() const;

    const std::vector<SourceReport>& reports() const { return reports_; }
    // The change of the hosts file; none when nothing changed.
    const std::optional<PlannedChange>& change() const { return change_; }
    std::size_t added() const { return added_.size(); }
    std::size_t removed() const { return removed_.size(); }
    // Whether any source failed.
    bool anyFailed() const;

    // Keeps what this update found, after its change has been written.
    void commit() const;

private:
    struct Pending {
        SourceRecord record;
        std::optional<std::vector<std::string>> names; // a new set, when the list changed
    };

    void takeFetched(FetchedSource fetched, const SystemLines& systemLines);
    bool appliedStateHolds() const;
    // The enabled sources and the whitelist, as the applied state keeps them.
    std::string configuration() const;
    void planNames(const HostsDocument& document, const Progress& progress);
    std::vector<std::string> unionOfSources(bool& unknown);

    const SourceRecords& records_;
    std::vector<ListSource> sources_;
    AllowList allow_;
    std::string whitelistDigest_;
    std::int64_t now_;
    std::vector<SourceReport> reports_;
    std::vector<Pending> pending_;
    std::optional<PlannedChange> change_;
    std::vector<std::string> added_, removed_;
    std::optional<AppliedState> lastState_;
    std::optional<std::vector<std::string>> applied_, own_;
};

} // namespace vendrel

#include "core/sources/source_update.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/file_merge.h"
#include "core/download/blocking_list_filter.h"
#include "core/error.h"
#include "core/hosts/text_file.h"
#include "core/session/hosts_commands.h"
#include "core/sources/list_body.h"
#include "core/sources/name_set.h"
#include "core/text/ascii_text.h"
#include "platform/sha256.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace vendrel {
namespace {

using Names = std::vector<std::string>;

Names difference(const Names& from, const Names& taken)
{
    Names rest;
    std::ranges::set_difference(from, taken, std::back_inserter(rest));
    return rest;
}

// The sorted lists merged into one, each name once, each copied once.
Names unionOfAll(const std::vector<const Names*>& lists)
{
    std::size_t total = 0;
    for (const Names* list : lists)
        total += list->size();
    Names all;
    all.reserve(total);
    std::vector<std::size_t> next(lists.size(), 0);
    for (;;) {
        const std::string* least = nullptr;
        for (std::size_t i = 0; i < lists.size(); ++i)
            if (next[i] < lists[i]->size() && (!least || (*lists[i])[next[i]] < *least))
                least = &(*lists[i])[next[i]];
        if (!least)
            return all;
        all.push_back(*least);
        for (std::size_t i = 0; i < lists.size(); ++i)
            if (next[i] < lists[i]->size() && (*lists[i])[next[i]] == all.back())
                ++next[i];
    }
}

Names unionOf(const Names& one, const Names& other)
{
    Names both;
    both.reserve(one.size() + other.size());
    std::ranges::set_union(one, other, std::back_inserter(both));
    return both;
}

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text.append(line).push_back('\n');
    return text;
}

// The text without the blocking entries whose every name is in `removed`,
// and the names of `added` that it blocks already (the user's own lines).
struct EditedText {
    std::string text;
    Names alreadyBlocked;
};

bool hasUpperCaseOrFinalDot(std::string_view name)
{
    return name.ends_with('.') || std::ranges::any_of(name, [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Only names a list gave are removed, and a list never gives localhost or a
// name of the machine's (blockingNamesOf), so no system line is among them.
EditedText withoutRemovedNames(std::string_view bytes, const Names& removed, const Names& added)
{
    const NameSet removedSet(removed);
    std::optional<NameSet> addedSet; // made when a name of the file is not removed
    EditedText edited;
    edited.text.reserve(bytes.size());
    forEachLine(bytes, [&](std::string_view line) {
        const std::string_view content = line.substr(0, line.find('#'));
        const std::size_t addressStart = std::min(content.find_first_not_of(" \t"), content.size());
        const std::size_t addressEnd = std::min(content.find_first_of(" \t", addressStart), content.size());
        const std::string_view address = content.substr(addressStart, addressEnd - addressStart);
        bool anyName = false;
        bool allRemoved = true;
        if (isBlockingAddress(address)) {
            forEachWord(content.substr(addressEnd), [&](std::string_view word) {
                std::string lowered;
                const std::string_view name = hasUpperCaseOrFinalDot(word) ? (lowered = comparableName(word)) : word;
                anyName = true;
                if (removedSet.contains(name))
                    return; // never also added: the two are apart
                allRemoved = false;
                if (!addedSet)
                    addedSet.emplace(added);
                if (addedSet->contains(name))
                    edited.alreadyBlocked.emplace_back(name);
            });
        }
        const bool dropped = anyName && allRemoved && !removedSet.empty();
        if (!dropped)
            edited.text.append(line).append("\r\n");
    });
    std::ranges::sort(edited.alreadyBlocked);
    edited.alreadyBlocked.erase(std::unique(edited.alreadyBlocked.begin(), edited.alreadyBlocked.end()),
                                edited.alreadyBlocked.end());
    return edited;
}

std::string entriesOf(const Names& names, std::string_view address)
{
    std::string text;
    text.reserve(names.size() * 24);
    for (const std::string& name : names)
        text.append(address).append(1, ' ').append(name).append("\r\n");
    return text;
}

} // namespace

std::string describeReport(const SourceReport& report)
{
    const std::string entries = std::to_string(report.entries) + (report.entries == 1 ? " entry" : " entries");
    switch (report.result) {
    case SourceReport::Result::Updated:
        return report.name + ": updated, " + entries +
               (report.leftOut ? "; " + leftOutNote(report.leftOut, report.name) : std::string());
    case SourceReport::Result::Unchanged:
        return report.name + ": unchanged, " + entries;
    case SourceReport::Result::Failed:
        break;
    }
    return report.name + ": failed: " + report.reason +
           (report.entries ? " Its " + entries + " of the last update stand." : std::string());
}

std::string listedWithAnd(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

std::string flushedCachesText(const std::vector<std::string>& caches)
{
    return caches.empty() ? std::string() : "Flushed the name cache of " + listedWithAnd(caches) + ".";
}

SourceUpdate::SourceUpdate(const SourceRecords& records, std::vector<ListSource> sources,
                           const std::vector<std::string>& whitelistLines, std::int64_t now)
    : records_(records), sources_(std::move(sources)), allow_(whitelistLines),
      whitelistDigest_(platform::sha256Hex(joinedLines(whitelistLines))), now_(now)
{
}

bool SourceUpdate::anyFailed() const
{
    return std::ranges::any_of(
        reports_, [](const SourceReport& report) { return report.result == SourceReport::Result::Failed; });
}

void SourceUpdate::takeFetched(FetchedSource fetched, const SystemLines& systemLines)
{
    const ListSource& source = fetched.source;
    const std::optional<SourceRecord> old = records_.record(source.name);
    Pending pending{old.value_or(SourceRecord()), std::nullopt};
    SourceReport report{source.name, SourceReport::Result::Unchanged, old ? old->entries : 0, 0, {}};
    pending.record.time = now_;
    const bool sameSource = old && old->address == source.address && records_.hasNames(source.name);
    try {
        if (fetched.kind == FetchedSource::Kind::Failed)
            throw Error(fetched.failure);
        if (!fetched.answer.etag.empty() || fetched.kind == FetchedSource::Kind::Body)
            pending.record.etag = fetched.answer.etag;
        if (!fetched.answer.lastModified.empty() || fetched.kind == FetchedSource::Kind::Body)
            pending.record.lastModified = fetched.answer.lastModified;
        if (fetched.kind == FetchedSource::Kind::Body) {
            const std::string digest = platform::sha256Hex(fetched.body);
            if (!sameSource || digest != old->sha256) {
                BlockingNames names = blockedNamesOfBody(std::move(fetched.body), source, "0.0.0.0", systemLines);
                report = {source.name, SourceReport::Result::Updated, names.names.size(), names.leftOut, {}};
                pending.names = std::move(names.names);
                pending.record.sha256 = digest;
            }
        }
        pending.record.address = source.address;
        pending.record.entries = report.entries;
        pending.record.result = report.result == SourceReport::Result::Updated ? "updated" : "unchanged";
    } catch (const Error& error) {
        report.result = SourceReport::Result::Failed;
        report.reason = error.what();
        pending.record = old.value_or(SourceRecord());
        pending.record.time = now_;
        pending.record.result = "failed: " + std::string(error.what());
        for (char& c : pending.record.result)
            c = c >= ' ' && c <= '~' ? c : ' ';
    }
    reports_.push_back(std::move(report));
    pending_.push_back(std::move(pending));
}

std::string SourceUpdate::configuration() const
{
    std::string state;
    for (const ListSource& source : sources_)
        if (source.enabled)
            state += "source=" + source.name + " " + source.address + "\n";
    return state + "whitelist=" + whitelistDigest_ + "\n";
}

bool SourceUpdate::appliedStateHolds() const
{
    const bool listsUnchanged = std::ranges::none_of(
        reports_, [](const SourceReport& report) { return report.result == SourceReport::Result::Updated; });
    return listsUnchanged && lastState_ && lastState_->configuration == configuration();
}

std::vector<ListSource> SourceUpdate::enabledSources() const
{
    std::vector<ListSource> enabled;
    std::ranges::copy_if(sources_, std::back_inserter(enabled),
                         [](const ListSource& source) { return source.enabled; });
    return enabled;
}

void SourceUpdate::evaluate(std::vector<FetchedSource> fetched, const SystemLines& systemLines)
{
    const std::vector<ListSource> enabled = enabledSources();
    if (fetched.size() != enabled.size() ||
        !std::ranges::equal(
            fetched, enabled, {}, [](const FetchedSource& one) { return one.source.name; }, &ListSource::name))
        throw std::logic_error("an update is planned from the fetch of its enabled sources");
    for (FetchedSource& one : fetched)
        takeFetched(std::move(one), systemLines);
    lastState_ = records_.appliedState();
}

void SourceUpdate::planChange(const HostsDocument& document, const Progress& progress)
{
    if (mayChangeNames())
        planNames(document, progress);
}

void SourceUpdate::plan(const HostsDocument& document, std::vector<FetchedSource> fetched, const Progress& progress)
{
    evaluate(std::move(fetched), document.systemLines());
    planChange(document, progress);
}

// Every enabled source's names, the new ones of an updated list, the kept
// ones of the others; `unknown` when a kept set could not be read back.
std::vector<std::string> SourceUpdate::unionOfSources(bool& unknown)
{
    std::vector<Names> keptLists;
    keptLists.reserve(sources_.size());
    std::vector<const Names*> lists;
    std::size_t at = 0;
    for (const ListSource& source : sources_) {
        if (!source.enabled)
            continue;
        Pending& pending = pending_[at++];
        if (pending.names) {
            lists.push_back(&*pending.names);
            continue;
        }
        ReadNames kept = records_.names(source.name, pending.record);
        if (!kept.sound || kept.names.size() != pending.record.entries) {
            // The next update fetches this list in full and reads it anew.
            unknown = true;
            pending.record.etag.clear();
            pending.record.lastModified.clear();
            pending.record.sha256.clear();
        }
        lists.push_back(&keptLists.emplace_back(std::move(kept.names)));
    }
    Names all = unionOfAll(lists);
    if (!allow_.empty())
        std::erase_if(all, [this](const std::string& name) { return allow_.allows(name); });
    return all;
}

void SourceUpdate::planNames(const HostsDocument& document, const Progress& progress)
{
    const ReadNames lastApplied = records_.applied(lastState_);
    ReadNames own = records_.own(lastState_);
    bool unknown = !lastApplied.sound || !own.sound;
    Names given = unionOfSources(unknown);
    own_ = std::move(own.names);
    added_ = difference(given, lastApplied.names);
    // Whatever cannot be proven to come from the last update stays, and stays claimed.
    if (!unknown) {
        removed_ = difference(lastApplied.names, given);
        std::erase_if(removed_, [this](const std::string& name) { return std::ranges::binary_search(*own_, name); });
    }
    applied_ = unknown ? unionOf(given, lastApplied.names) : std::move(given);
    if (added_.empty() && removed_.empty())
        return;
    const std::string_view address = sortAddressFor(document.redirectAddress());
    Names alreadyBlocked;
    PlannedChange change = planEdit(document, "Update Sources", [&](std::string_view bytes) {
        EditedText edited = withoutRemovedNames(bytes, removed_, added_);
        alreadyBlocked = std::move(edited.alreadyBlocked);
        if (added_.empty())
            return std::move(edited.text);
        return mergeAndSortText(edited.text, entriesOf(added_, address), document.redirectAddress(), progress,
                                document.systemLines());
    });
    own_ = unionOf(*own_, alreadyBlocked);
    if (change.mayChangeFile())
        change_ = std::move(change);
}

void SourceUpdate::commit() const
{
    std::size_t at = 0;
    for (const ListSource& source : sources_) {
        if (!source.enabled)
            continue;
        const Pending& pending = pending_[at++];
        SourceRecord record = pending.record;
        if (pending.names)
            record.namesSha256 = records_.writeNames(source.name, *pending.names);
        records_.writeRecord(source.name, record);
    }
    AppliedState state = lastState_.value_or(AppliedState());
    state.configuration = configuration();
    if (applied_) {
        state.ownSha256 = records_.writeOwn(*own_);
        state.appliedSha256 = records_.writeApplied(*applied_);
    }
    // Last: until it is written, the next update works the names out anew.
    records_.writeAppliedState(state);
}

} // namespace vendrel

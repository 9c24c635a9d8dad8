// The block-list sources: their list, the update of the hosts file from all
// of them, where an entry came from, and the entries for a resolver.

#include "cli/cli_handlers.h"

#include "core/download/blocking_list_filter.h"
#include "core/download/download_address.h"
#include "core/error.h"
#include "core/hosts/hosts_file_access.h"
#include "core/hosts/text_file.h"
#include "core/sources/block_list_sources.h"
#include "core/sources/export_formats.h"
#include "core/sources/source_fetch.h"
#include "core/sources/source_update.h"
#include "core/text/ascii_text.h"
#include "core/whitelist/whitelist.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <chrono>

namespace vendrel::cli {
namespace {

std::string sourcesPath(const CliContext& context) { return sourcesPathIn(context.dataDir); }

std::vector<ListSource>::iterator findSource(std::vector<ListSource>& sources, const std::string& name)
{
    const auto found = std::ranges::find(sources, name, &ListSource::name);
    if (found == sources.end())
        throw Error("There is no source named " + name + ".");
    return found;
}

void printSources(CliContext& context, const std::vector<ListSource>& sources)
{
    const SourceRecords records(context.dataDir);
    for (const ListSource& source : sources) {
        const std::optional<SourceRecord> record = records.record(source.name);
        context.out << source.name << "  " << (source.enabled ? "enabled" : "disabled") << "  " << source.address
                    << "\n    ";
        if (!record || record->time == 0)
            context.out << "never updated\n";
        else
            context.out << "updated " << utcTime(record->time) << " UTC, " << record->entries << " entries, "
                        << record->result << '\n';
    }
}

std::string requiredArgument(const CliContext& context, std::size_t index, const char* what)
{
    if (context.arguments.size() <= index)
        throw UsageError("sources " + context.arguments[0] + " needs " + what);
    return context.arguments[index];
}

ListFormat formatOption(const CliContext& context)
{
    const std::string name = context.options.value("--format").value_or("auto");
    for (const ListFormat format : {ListFormat::Auto, ListFormat::Zip, ListFormat::Text})
        if (name == formatName(format))
            return format;
    throw UsageError("--format is auto, zip or text, not " + name);
}

void addSource(CliContext& context, std::vector<ListSource>& sources)
{
    const std::string name = requiredArgument(context, 1, "NAME");
    const std::string address = requiredArgument(context, 2, "URL");
    if (!isSourceName(name))
        throw UsageError("\"" + name + "\" is no source name (letters, digits, '-', '_' and '.', up to 64)");
    if (hasSourceNamed(sources, name))
        throw Error("There is a source named " + name + " already.");
    sources.push_back({name, downloadAddress(address), !context.options.has("--disabled"), formatOption(context),
                       context.options.value("--member").value_or("")});
}

} // namespace

void sourcesCommand(CliContext& context)
{
    std::vector<ListSource> sources = readSources(sourcesPath(context));
    const std::string action = context.arguments.empty() ? "list" : context.arguments[0];
    if (action == "list") {
        if (context.arguments.size() > 1)
            throw UsageError("sources list takes no argument '" + context.arguments[1] + "'");
        return printSources(context, sources);
    }
    if (context.arguments.size() > (action == "add" ? 3 : 2))
        throw UsageError("sources " + action + " takes no argument '" + context.arguments.back() + "'");
    if (action == "add") {
        addSource(context, sources);
    } else if (action == "remove") {
        const auto found = findSource(sources, requiredArgument(context, 1, "NAME"));
        const std::string name = found->name;
        sources.erase(found);
        createDataFolder(context);
        writeSources(sourcesPath(context), sources);
        SourceRecords(context.dataDir).forget(name);
        context.out << "Removed the source " << name << "; the next update removes the entries only it gave.\n";
        return;
    } else if (action == "enable" || action == "disable") {
        findSource(sources, requiredArgument(context, 1, "NAME"))->enabled = action == "enable";
    } else {
        throw UsageError("unknown sources action " + action + " (list, add, remove, enable, disable)");
    }
    createDataFolder(context);
    writeSources(sourcesPath(context), sources);
    printSources(context, sources);
}

} // namespace vendrel::cli

namespace vendrel::cli {
namespace {

std::int64_t secondsNow()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

void printReports(CliContext& context, const SourceUpdate& update)
{
    for (const SourceReport& report : update.reports())
        (report.result == SourceReport::Result::Failed ? context.err : context.out) << describeReport(report) << '\n';
}

std::vector<FetchedSource> fetchEnabled(CliContext& context, const SourceUpdate& update, const SourceRecords& records)
{
    FetchSettings settings;
    if (const auto seconds = context.options.value("--max-seconds"))
        settings.timeLimitSeconds = secondsArgument(*seconds);
    const bool shown = context.errIsTerminal && !context.options.has("--quiet");
    const std::size_t count = update.enabledSources().size();
    std::vector<FetchedSource> fetched = fetchSources(
        update.enabledSources(), records, settings, [&](std::uint64_t received) {
            if (shown)
                context.err << "\rDownloading " << count << (count == 1 ? " source: " : " sources: ") << received
                            << " bytes" << std::flush;
        });
    if (shown)
        context.err << '\n';
    return fetched;
}

void sayFlushedCaches(CliContext& context)
{
    const std::string text = flushedCachesText(context.system.flushNameCaches());
    if (!text.empty())
        context.out << text << '\n';
}

} // namespace

void updateCommand(CliContext& context)
{
    if (context.options.has("--install-task"))
        return installUpdateTask(context);
    const std::vector<ListSource> sources = readSources(sourcesPath(context));
    createDataFolder(context);
    const SourceRecords records(context.dataDir);
    SourceUpdate update(records, sources, readWhitelist(EditorPaths{{}, {}, context.dataDir}.whitelistPath()),
                        secondsNow());
    std::vector<FetchedSource> fetched = fetchEnabled(context, update, records);
    CliSession session = openSession(context);
    update.evaluate(std::move(fetched), session.document.systemLines());
    // The hosts file is locked for the change only, not for the downloads,
    // and is not even read when the names cannot have changed.
    std::optional<platform::FileLock> lock;
    if (update.mayChangeNames()) {
        lock.emplace(lockHostsFile(context.hostsPath));
        session.document.readLoadable(); // the redirect address, and a file the editor cannot hold is refused
        update.planChange(session.document);
    }
    printReports(context, update);
    const bool written = update.change() && context.dryRun == DryRun::No;
    if (update.change()) {
        finishChange(context, session, *update.change(),
                     "Added " + std::to_string(update.added()) + " and removed " + std::to_string(update.removed()) +
                         " entries.");
    } else {
        context.out << "nothing changed\n";
    }
    if (context.dryRun != DryRun::No)
        return;
    update.commit();
    if (written)
        sayFlushedCaches(context);
    if (update.anyFailed())
        context.exitStatus = Failure;
    else if (!written && context.options.has("--exit-status"))
        context.exitStatus = NothingChanged;
}

void whyCommand(CliContext& context)
{
    const std::string host = comparableName(context.arguments[0]);
    if (!isDnsName(host))
        throw UsageError("\"" + context.arguments[0] + "\" is no host name");
    const SourceRecords records(context.dataDir);
    std::vector<std::string> givers;
    for (const ListSource& source : readSources(sourcesPath(context))) {
        const NameList names = records.names(source.name, records.record(source.name)).names;
        if (std::ranges::binary_search(names, host))
            givers.push_back(source.name);
    }
    const std::string sourcesText = listedWithAnd(givers);
    const NameList own = records.own(records.appliedState()).names;
    const bool users = std::ranges::binary_search(own, host);
    std::size_t lineNumber = 0;
    bool found = false;
    forEachLine(readTextFile(context.hostsPath), [&](std::string_view line) {
        ++lineNumber;
        const std::vector<std::string_view> words = wordsBeforeComment(line);
        const bool holds = words.size() > 1 && std::any_of(words.begin() + 1, words.end(), [&](std::string_view name) {
                               return comparableName(name) == host;
                           });
        if (!holds)
            return;
        found = true;
        const std::string where = " line " + std::to_string(lineNumber) + " (" + std::string(words.front()) + ")";
        if (givers.empty() || users)
            context.out << host << ": your own" << where
                        << (givers.empty() ? std::string() : ", also in the source " + sourcesText) << '\n';
        else
            context.out << host << ":" << where << ", from the source " << sourcesText << '\n';
    });
    if (found)
        return;
    context.out << host << " is in no line of " << context.hostsPath
                << (givers.empty() ? "" : "; the source " + sourcesText + " lists it") << ".\n";
    context.exitStatus = Failure;
}

void exportCommand(CliContext& context)
{
    const std::string name = context.options.value("--format").value_or("");
    const std::optional<ExportFormat> format = exportFormatNamed(name);
    if (!format)
        throw UsageError("--format is hosts, domains, dnsmasq, unbound or rpz" +
                         (name.empty() ? std::string() : ", not " + name));
    CliSession session = openSession(context);
    const std::string text = exportBlockedNames(readTextFile(context.hostsPath), *format,
                                                session.document.systemLines());
    const auto output = context.options.value("--output");
    if (!output) {
        context.out << text;
        return;
    }
    platform::writeFileAtomically(*output, text);
    context.out << "Wrote the blocking entries of " << context.hostsPath << " to " << *output << ".\n";
}

} // namespace vendrel::cli

namespace vendrel::cli {

void installUpdateTask(CliContext& context)
{
    const std::string arguments = "--data-dir \"" + context.dataDir + "\" --hosts \"" + context.hostsPath +
                                  "\" update --quiet";
    if (const auto failure = platform::installDailyTask("Vendrel update", arguments))
        throw Error(*failure);
    context.out << "The task \"Vendrel update\" runs vendrel-cli " << arguments << " every day at 03:00.\n";
}

} // namespace vendrel::cli

// bench-bulk-commands: how long the commands on a whole hosts file take (sort,
// merge, append) and how much memory they need, with the system's
// `sort -f -u` on the same input as the yardstick for the sort.
//
//   bench-bulk-commands [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
//                       [--merge-hosts FILE] [--merge-file FILE]
//
// For a generated file (1,000,000 lines unless told otherwise) and for the
// largest real hosts file of the development machines it reports the median
// of N runs (7 unless told otherwise), each run on a fresh copy of the file
// in a temporary folder (the copy is not timed), of
//   - FileSort of the file with the redirect address 127.0.0.1 (its text read,
//     sorted and written back, the core of every sort command), each in a
//     fresh process that does only this, and in turn with it `sort -f -u FILE
//     -o OUT` on the same input as a process with the same environment;
//     reported are both, the ratio of their times and FileSort's peak
//     resident memory (read with wait4()). All of it once in the locale this
//     program was started in and once with LC_ALL=en_US.UTF-8 for both;
//   - `vendrel-cli sort` of the generated file as a whole process (start,
//     load, sort, atomic write, status line), without a history and, in the
//     first locale, keeping a version in a fresh data folder; in turn with
//     `sort -f -u` and `awk '{print $2}' | LC_ALL=C sort -u` on the same
//     file: its time, both ratios and its peak memory against the file's size;
//   - mergeAndSortHostsFile, the editor's whole merge (both texts read,
//     merged, sorted and written back), of two real lists
//     (the merge-hosts file's copy as the hosts file, the merge file merged
//     into it) and of the generated file with the real file (the real list
//     of the most lines) and with the merge file (the one of the most bytes)
//     merged into it, each in a fresh process: time and peak memory; and the
//     latter two as `vendrel-cli merge` processes;
//   - FileAppend of the real file's lines (read with readTextLines before
//     the clock starts) onto a copy of the generated file.
//
// Internal modes (the program runs itself for the fresh processes):
//   --file-sort FILE          sorts FILE, prints "seconds=S" and "collation=LOCALE"
//   --merge-sort FILE MERGE   merges MERGE into FILE and sorts, prints "seconds=S"
//   --idle                    exits at once; its peak is the baseline of a process

#include "bench_cli.h"
#include "bench_support.h"

#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/text_file.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using bench::Clock;
using bench::secondsSince;
namespace fs = std::filesystem;

constexpr double sortGoalSeconds = 1.0;
// FileSort's peak memory: at most this many times the file's size, plus the fixed part.
constexpr double sortPeakFileFactor = 4;
constexpr double sortPeakFixedMegabytes = 50;

// The whole `vendrel-cli sort` command: wall time, against `sort -f -u`, and peak memory against the file.
constexpr double cliSortGoalSeconds = 0.6;
constexpr double cliSortGoalOfSystemSort = 0.4;
constexpr double cliSortPeakFileFactor = 2.5;
// The merge of the real file into the generated one.
constexpr double mergeGoalSeconds = 0.8;

constexpr const char* redirectAddress = "127.0.0.1";
constexpr std::string_view sortedHeader = "127.0.0.1\tlocalhost";

// The two real lists the merge is measured with: a large unified list as the
// hosts file, and a list of another kind merged into it.
constexpr const char* defaultMergeHostsName = "stevenblack-fork_unified_hosts";
constexpr const char* defaultMergeFileName = "goodbyeads_youtube_hosts.txt";

// The locale the second round of sorts runs in; ICU brings its own data for
// it, the C library may not have it.
constexpr const char* englishLocale = "en_US.UTF-8";

struct Settings {
    bench::Options options;
    std::string mergeHosts = std::string(bench::realHostsFolder) + "/" + defaultMergeHostsName;
    std::string mergeFile = std::string(bench::realHostsFolder) + "/" + defaultMergeFileName;
};

// Lines printed after the table; run-benchmarks collects them by their prefix.
std::vector<std::string> notes;

void note(const std::string& text) { notes.push_back(text); }

// A locale the sorts run in: the inherited one (no changes) or LC_ALL set.
struct LocaleRound {
    std::string label;                    // shown in the measures' names
    std::vector<std::string> environment; // changes for the child processes
};

// The collation locale the C library's sort takes from the environment.
std::string inheritedCollationLocale()
{
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return "C";
}

std::vector<std::string> runLines(const std::string& program, const std::vector<std::string>& arguments)
{
    const bench::ChildResult child = bench::runProgram(program, arguments);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < child.output.size()) {
        std::size_t end = child.output.find('\n', start);
        if (end == std::string::npos)
            end = child.output.size();
        lines.push_back(child.output.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Whether `locale -a` lists the locale, whose name it may spell "en_US.utf8";
// nothing when there is no `locale` program to ask.
std::optional<bool> systemHasLocale(const std::string& locale)
{
    const auto normal = [](std::string_view name) {
        std::string result;
        for (const char c : name)
            if (c != '-')
                result += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return result;
    };
    const std::string program = bench::programOnPath("locale");
    if (program.empty())
        return std::nullopt;
    const std::string wanted = normal(locale);
    for (const std::string& line : runLines(program, {"-a"}))
        if (normal(line) == wanted)
            return true;
    return false;
}

// FNV-1a of a file, read in chunks so that this process stays small.
std::uint64_t fileDigest(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::uint64_t digest = 0xCBF29CE484222325ULL;
    std::vector<unsigned char> chunk(1 << 20);
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
        for (std::size_t i = 0; i < got; ++i)
            digest = (digest ^ chunk[i]) * 0x100000001B3ULL;
    std::fclose(file);
    return digest;
}

// The LF bytes of a file, read in chunks so that this process stays small.
std::size_t lineBreaks(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::size_t breaks = 0;
    std::vector<char> chunk(1 << 20);
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
        breaks += static_cast<std::size_t>(std::count(chunk.data(), chunk.data() + got, '\n'));
    std::fclose(file);
    return breaks;
}

std::string fileStart(const std::string& path, std::size_t bytes)
{
    std::string start(bytes, '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot read " + path);
    start.resize(std::fread(start.data(), 1, bytes, file));
    std::fclose(file);
    return start;
}

// The file a sort or merge wrote must be a sorted hosts file: its header
// stands among its first lines, after the system's own lines.
void checkSortedFile(const std::string& path, const std::string& what)
{
    const std::string start = fileStart(path, 4096);
    const std::size_t header = start.find(sortedHeader);
    if (header == std::string::npos || (header > 0 && start[header - 1] != '\n'))
        throw std::runtime_error(what + " did not leave a sorted hosts file in " + path);
}

double childSeconds(const bench::ChildResult& child, const std::string& what)
{
    if (child.exitCode != 0)
        throw std::runtime_error(what + " failed in its child process");
    return std::stod(bench::outputValue(child.output, "seconds"));
}

std::string peakRange(const std::vector<double>& peaks)
{
    return bench::megabytes(bench::minimum(peaks)) + " .. " + bench::megabytes(bench::maximum(peaks));
}

// `sort -f -u` of a fresh copy of `source` into another file: its wall-clock seconds.
double timeSystemSort(const std::string& source, const LocaleRound& round, const std::string& sortProgram,
                      const bench::TempFolder& work)
{
    const std::string input = work.file("sort-input");
    const std::string output = work.file("sort-output");
    bench::freshCopy(source, input);
    fs::remove(output);
    const bench::ChildResult sort = bench::runProgram(sortProgram, {"-f", "-u", input, "-o", output},
                                                      round.environment);
    if (sort.exitCode != 0 || !fs::exists(output) || fs::file_size(output) == 0)
        throw std::runtime_error(sortProgram + " -f -u failed for a copy of " + source);
    return sort.seconds;
}

// The pipeline that only picks the host column and sorts it bytewise,
// normalising nothing: the least a sort of the host names can cost.
double timeHostsOnlyPipeline(const std::string& source, const LocaleRound& round, const bench::TempFolder& work)
{
    const std::string output = work.file("pipeline-output");
    const std::string pipeline = "awk '{print $2}' '" + source + "' | LC_ALL=C sort -u > '" + output + "'";
    const bench::ChildResult piped = bench::runProgram("/bin/sh", {"-c", pipeline}, round.environment);
    if (piped.exitCode != 0 || fs::file_size(output) == 0)
        throw std::runtime_error("the awk | sort -u pipeline failed for " + source);
    return piped.seconds;
}

// One digest of FileSort's result per file and locale, to tell whether the
// locales order the file differently.
struct SortResult {
    std::string label;
    std::string round;
    std::uint64_t digest = 0;
    std::string collation; // ICU's locale in the sorting process
};

// FileSort and `sort -f -u` of `subject` in turn, each run on fresh copies,
// in the locale of `round`.
SortResult benchmarkSort(const bench::HostsFile& subject, const LocaleRound& round, std::size_t runs,
                         const std::string& sortProgram, const bench::TempFolder& work)
{
    const std::string copy = work.file("sort-hosts");
    std::fprintf(stderr, "  %s [%s]: FileSort and sort -f -u, %zu runs each\n", subject.label.c_str(),
                 round.label.c_str(), runs);
    std::vector<double> fileSortTimes;
    std::vector<double> sortTimes;
    std::vector<double> peaks;
    SortResult result{subject.label, round.label, 0, {}};
    for (std::size_t run = 0; run < runs; ++run) {
        bench::freshCopy(subject.path, copy);
        const bench::ChildResult child = bench::runSelf({"--file-sort", copy}, round.environment);
        fileSortTimes.push_back(childSeconds(child, "FileSort of " + subject.path));
        peaks.push_back(static_cast<double>(child.peakRssKiB));
        result.collation = bench::outputValue(child.output, "collation");
        checkSortedFile(copy, "FileSort");
        const std::uint64_t digest = fileDigest(copy);
        if (run > 0 && digest != result.digest)
            throw std::runtime_error("FileSort gave different results for the same file " + subject.path);
        result.digest = digest;
        sortTimes.push_back(timeSystemSort(subject.path, round, sortProgram, work));
    }

    const double fileSortMedian = bench::median(fileSortTimes);
    const double sortMedian = bench::median(sortTimes);
    const double ratio = sortMedian / fileSortMedian;
    const double fileMegabytes = static_cast<double>(fs::file_size(subject.path)) / 1e6;
    const double peakGoal = sortPeakFileFactor * fileMegabytes + sortPeakFixedMegabytes;
    const double peakMedian = bench::median(peaks);
    char peakGoalText[32];
    std::snprintf(peakGoalText, sizeof peakGoalText, "<= %.0f MB", peakGoal);

    const std::string tag = " [" + round.label + "]";
    bench::printRow("FileSort" + tag, subject.label, bench::seconds(fileSortMedian), bench::secondsRange(fileSortTimes),
                    "<= 1.0 s", bench::verdict(fileSortMedian <= sortGoalSeconds));
    bench::printRow("sort -f -u" + tag, subject.label, bench::seconds(sortMedian), bench::secondsRange(sortTimes), "-",
                    "");
    bench::printRow("  sort/FileSort time" + tag, subject.label, bench::times(ratio),
                    bench::secondsVersus(sortMedian, fileSortMedian), "> 1.00x", bench::verdict(ratio > 1));
    bench::printRow("FileSort peak RSS" + tag, subject.label, bench::megabytes(peakMedian), peakRange(peaks),
                    peakGoalText, bench::verdict(bench::megabytesFromKiB(peakMedian) <= peakGoal));
    return result;
}

// mergeAndSortHostsFile of `merged` into fresh copies of `hosts`, each
// in a fresh process. `label` names the pair in the table, a note names the files.
void benchmarkMerge(const bench::HostsFile& hosts, const bench::HostsFile& merged, const std::string& label,
                    std::size_t runs, const bench::TempFolder& work, bool withGoal = false)
{
    const std::string copy = work.file("merge-hosts");
    note("mergeAndSortHostsFile of " + label + ": " + merged.label + " (" + std::to_string(fs::file_size(merged.path)) +
         " bytes, " + std::to_string(lineBreaks(merged.path)) + " lines) merged into a copy of " + hosts.label);
    std::fprintf(stderr, "  mergeAndSortHostsFile: %s, %zu runs\n", label.c_str(), runs);
    std::vector<double> times;
    std::vector<double> peaks;
    for (std::size_t run = 0; run < runs; ++run) {
        bench::freshCopy(hosts.path, copy);
        const bench::ChildResult child = bench::runSelf({"--merge-sort", copy, merged.path});
        times.push_back(childSeconds(child, "mergeAndSortHostsFile of " + label));
        peaks.push_back(static_cast<double>(child.peakRssKiB));
        checkSortedFile(copy, "mergeAndSortHostsFile");
    }
    const double median = bench::median(times);
    bench::printRow("mergeAndSortHostsFile", label, bench::seconds(median), bench::secondsRange(times),
                    withGoal ? "<= 0.8 s" : "-", withGoal ? bench::verdict(median <= mergeGoalSeconds) : "");
    bench::printRow("  peak RSS", label, bench::megabytes(bench::median(peaks)), peakRange(peaks), "-", "");
}

// The last byte of a file, or -1 when it is empty.
int lastByte(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot read " + path);
    const int last = std::fseek(file, -1, SEEK_END) == 0 ? std::fgetc(file) : -1;
    std::fclose(file);
    return last;
}

// FileAppend of the lines of `linesFile` onto fresh copies of `hosts`, in this process.
void benchmarkAppend(const bench::HostsFile& hosts, const bench::HostsFile& linesFile, std::size_t runs,
                     const bench::TempFolder& work)
{
    const std::string copy = work.file("append-hosts");
    const std::string label = "real file onto generated";
    std::fprintf(stderr, "  FileAppend: %s, %zu runs\n", label.c_str(), runs);
    const vendrel::TextLines appended = vendrel::readTextLines(linesFile.path);
    // The hosts file's bytes, a line break when it lacks a final one, and every line with CR LF.
    const int last = lastByte(hosts.path);
    std::uintmax_t expectedBytes = fs::file_size(hosts.path) + (last < 0 || last == '\n' || last == '\r' ? 0 : 2);
    for (const std::string_view line : appended.lines)
        expectedBytes += line.size() + 2;

    std::vector<double> times;
    for (std::size_t run = 0; run < runs; ++run) {
        bench::freshCopy(hosts.path, copy);
        const auto start = Clock::now();
        vendrel::writeWholeFile(copy, vendrel::appendLinesToText(vendrel::readWholeFile(copy), appended.lines));
        times.push_back(secondsSince(start));
        if (fs::file_size(copy) != expectedBytes)
            throw std::runtime_error("FileAppend did not append every line of " + linesFile.path);
    }
    note("FileAppend of " + label + ": the " + std::to_string(appended.lines.size()) + " lines of " + linesFile.label +
         " appended to a copy of " + hosts.label);
    bench::printRow("FileAppend", label, bench::seconds(bench::median(times)), bench::secondsRange(times), "-", "");
}

// The runs of `vendrel-cli sort` with or without the version it keeps.
struct CliSortRuns {
    bench::CliHistory history;
    std::vector<double> times;
    std::vector<double> peaks;
};

void reportCliSort(const CliSortRuns& runs, const bench::HostsFile& subject, const std::string& tag, double sortMedian,
                   double pipelineMedian)
{
    const double median = bench::median(runs.times);
    const double fileMegabytes = static_cast<double>(fs::file_size(subject.path)) / 1e6;
    const double peakMegabytes = bench::megabytesFromKiB(bench::median(runs.peaks));
    bench::printRow("vendrel-cli sort, " + bench::historyLabel(runs.history) + tag, subject.label,
                    bench::seconds(median), bench::secondsRange(runs.times), "<= 0.6 s",
                    bench::verdict(median <= cliSortGoalSeconds));
    bench::printRow("  cli sort / sort -f -u" + tag, subject.label, bench::times(median / sortMedian),
                    bench::secondsVersus(median, sortMedian), "<= 0.40x",
                    bench::verdict(median <= cliSortGoalOfSystemSort * sortMedian));
    bench::printRow("  cli sort / awk $2 | sort -u" + tag, subject.label, bench::times(median / pipelineMedian),
                    bench::secondsVersus(median, pipelineMedian), "< 1.00x", bench::verdict(median < pipelineMedian));
    bench::printRow("  peak RSS" + tag, subject.label, bench::megabytes(bench::median(runs.peaks)),
                    peakRange(runs.peaks), "<= 2.5x file",
                    bench::verdict(peakMegabytes <= cliSortPeakFileFactor * fileMegabytes));
    bench::printRow("  peak RSS / file size" + tag, subject.label, bench::times(peakMegabytes / fileMegabytes), "", "-",
                    "");
}

// `vendrel-cli sort` of fresh copies of `subject` as whole processes (start,
// load, sort, atomic write), once for each of `histories`, in turn with
// `sort -f -u` and with the hosts-only pipeline.
void benchmarkCliSort(const bench::HostsFile& subject, const LocaleRound& round,
                      const std::vector<bench::CliHistory>& histories, std::size_t runs, const std::string& cliProgram,
                      const std::string& sortProgram, const bench::TempFolder& work)
{
    std::fprintf(stderr, "  %s [%s]: vendrel-cli sort (%zu kinds), sort -f -u, awk | sort -u, %zu runs each\n",
                 subject.label.c_str(), round.label.c_str(), histories.size(), runs);
    std::vector<CliSortRuns> variants;
    for (const bench::CliHistory history : histories)
        variants.push_back({history, {}, {}});
    std::vector<double> sortTimes;
    std::vector<double> pipelineTimes;
    for (std::size_t run = 0; run < runs; ++run) {
        for (CliSortRuns& variant : variants) {
            const bench::CliResult cli = bench::runCliOnCopy(
                {cliProgram, subject.path, {"sort"}, variant.history, round.environment}, work);
            checkSortedFile(cli.hostsCopy, "vendrel-cli sort");
            variant.times.push_back(cli.child.seconds);
            variant.peaks.push_back(static_cast<double>(cli.child.peakRssKiB));
        }
        sortTimes.push_back(timeSystemSort(subject.path, round, sortProgram, work));
        pipelineTimes.push_back(timeHostsOnlyPipeline(subject.path, round, work));
    }
    const std::string tag = " [" + round.label + "]";
    const double sortMedian = bench::median(sortTimes);
    const double pipelineMedian = bench::median(pipelineTimes);
    bench::printRow("process: sort -f -u" + tag, subject.label, bench::seconds(sortMedian),
                    bench::secondsRange(sortTimes), "-", "");
    bench::printRow("process: awk $2 | sort -u" + tag, subject.label, bench::seconds(pipelineMedian),
                    bench::secondsRange(pipelineTimes), "-", "");
    for (const CliSortRuns& variant : variants)
        reportCliSort(variant, subject, tag, sortMedian, pipelineMedian);
}

// `vendrel-cli merge` of `merged` into fresh copies of `hosts`, keeping no
// history: what a script waits for, the load of the hosts file and the
// line count read afterwards included.
void benchmarkCliMerge(const bench::HostsFile& hosts, const bench::HostsFile& merged, const std::string& label,
                       std::size_t runs, const std::string& cliProgram, const bench::TempFolder& work)
{
    std::fprintf(stderr, "  vendrel-cli merge: %s, %zu runs\n", label.c_str(), runs);
    std::vector<double> times;
    std::vector<double> peaks;
    for (std::size_t run = 0; run < runs; ++run) {
        const bench::CliResult cli = bench::runCliOnCopy(
            {cliProgram, hosts.path, {"merge", merged.path}, bench::CliHistory::None, {}}, work);
        checkSortedFile(cli.hostsCopy, "vendrel-cli merge");
        times.push_back(cli.child.seconds);
        peaks.push_back(static_cast<double>(cli.child.peakRssKiB));
    }
    bench::printRow("process: vendrel-cli merge, no history", label, bench::seconds(bench::median(times)),
                    bench::secondsRange(times), "-", "");
    bench::printRow("  peak RSS", label, bench::megabytes(bench::median(peaks)), peakRange(peaks), "-", "");
}

int fileSortOnly(const std::string& path)
{
    const auto start = Clock::now();
    vendrel::writeWholeFile(path, vendrel::sortHostsText(vendrel::readTextFile(path), redirectAddress));
    const double seconds = secondsSince(start);
    std::printf("seconds=%.6f\ncollation=%s\n", seconds, uloc_getDefault());
    return 0;
}

int mergeSortOnly(const std::string& path, const std::string& mergePath)
{
    const auto start = Clock::now();
    const std::string mergeText = vendrel::readTextFile(mergePath);
    vendrel::writeWholeFile(path, vendrel::mergeAndSortText(vendrel::readTextFile(path), mergeText, redirectAddress));
    std::printf("seconds=%.6f\n", secondsSince(start));
    return 0;
}

Settings parseSettings(int argc, char** argv)
{
    Settings settings;
    settings.options = bench::parseOptions(
        argc, argv,
        "bench-bulk-commands [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real] "
        "[--merge-hosts FILE] [--merge-file FILE]",
        7, [&settings](const std::string& argument, const std::function<const char*()>& value) {
            if (argument == "--merge-hosts")
                settings.mergeHosts = value();
            else if (argument == "--merge-file")
                settings.mergeFile = value();
            else
                return false;
            return true;
        });
    return settings;
}

int runBenchmarks(const Settings& settings)
{
    const std::size_t runs = settings.options.runs;
    const std::string sortProgram = bench::programOnPath("sort");
    if (sortProgram.empty())
        throw std::runtime_error("cannot find the sort program on PATH");

    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(settings.options, work);
    const bench::HostsFile& generated = chosen.files.front();
    const bench::HostsFile* real = chosen.files.size() > 1 ? &chosen.files[1] : nullptr;

    const std::string inherited = inheritedCollationLocale();
    const std::vector<LocaleRound> rounds = {{inherited, {}},
                                             {englishLocale, {std::string("LC_ALL=") + englishLocale}}};
    const std::optional<bool> systemHasEnglish = systemHasLocale(englishLocale);
    if (!systemHasEnglish)
        note("cannot run locale -a: whether sort -f -u knows " + std::string(englishLocale) + " is not known");
    else if (!*systemHasEnglish)
        note(std::string("locale -a does not list ") + englishLocale + ": with LC_ALL=" + englishLocale +
             " sort -f -u falls back to byte order, while FileSort still collates in English with ICU's own data");

    std::fprintf(stderr, "bench-bulk-commands: %zu runs each, sort is %s\n", runs, sortProgram.c_str());
    // Every measure in a child process comes first, while this process is
    // still small; the append, which runs here, comes last.
    const bench::ChildResult idle = bench::runSelf({"--idle"});
    bench::printHeader();
    std::vector<SortResult> sorted;
    for (const LocaleRound& round : rounds)
        for (const bench::HostsFile& subject : chosen.files)
            sorted.push_back(benchmarkSort(subject, round, runs, sortProgram, work));
    const std::string cliProgram = bench::cliBesideSelf();
    const bool haveCli = fs::exists(cliProgram);
    if (haveCli) {
        // What the version costs does not depend on the locale: it is measured in the first round only.
        for (const LocaleRound& round : rounds)
            benchmarkCliSort(generated, round,
                             &round == &rounds.front()
                                 ? std::vector<bench::CliHistory>{bench::CliHistory::None, bench::CliHistory::Kept}
                                 : std::vector<bench::CliHistory>{bench::CliHistory::None},
                             runs, cliProgram, sortProgram, work);
        note("vendrel-cli sort keeps a version of the file before it writes when its data folder exists: "
             "\"no history\" runs with --no-history, \"with history\" with a fresh, empty one each run; "
             "\"awk $2 | sort -u\" is awk '{print $2}' FILE | LC_ALL=C sort -u > OUT");
    } else {
        std::fprintf(stderr, "skipped vendrel-cli sort: %s was not found\n", cliProgram.c_str());
    }
    for (const LocaleRound& round : rounds)
        for (const SortResult& result : sorted)
            if (result.round == round.label) {
                note("FileSort [" + round.label + "] collated with the ICU locale " + result.collation);
                break;
            }
    for (const SortResult& english : sorted) {
        if (english.round == rounds.front().label)
            continue;
        for (const SortResult& first : sorted)
            if (first.round == rounds.front().label && first.label == english.label)
                note("FileSort of " + english.label + " [" + english.round + "] " +
                     (first.digest == english.digest ? "gave the same bytes as" : "ordered differently from") + " [" +
                     first.round + "]");
    }

    if (fs::is_regular_file(settings.mergeHosts) && fs::is_regular_file(settings.mergeFile)) {
        benchmarkMerge({settings.mergeHosts, bench::fileLabel(settings.mergeHosts), 0},
                       {settings.mergeFile, bench::fileLabel(settings.mergeFile), 0}, "two real lists", runs, work);
    } else {
        const std::string& missing = fs::is_regular_file(settings.mergeHosts) ? settings.mergeFile
                                                                              : settings.mergeHosts;
        bench::printRow("mergeAndSortHostsFile, real lists", bench::fileLabel(missing), "skipped", "file not found",
                        "-", "");
        std::fprintf(stderr, "skipped the merge of two real lists: %s was not found\n", missing.c_str());
    }
    // The real file has the most lines of the real lists, the merge file the most bytes.
    std::vector<std::pair<bench::HostsFile, std::string>> intoGenerated;
    if (real)
        intoGenerated.emplace_back(*real, "generated + real file");
    if (fs::is_regular_file(settings.mergeFile))
        intoGenerated.emplace_back(bench::HostsFile{settings.mergeFile, bench::fileLabel(settings.mergeFile), 0},
                                   "generated + merge file");
    for (const auto& [merged, label] : intoGenerated) {
        benchmarkMerge(generated, merged, label, runs, work, true);
        if (haveCli)
            benchmarkCliMerge(generated, merged, label, runs, cliProgram, work);
    }
    if (real)
        benchmarkAppend(generated, *real, runs, work);
    bench::reportMissingRealFile(chosen, "FileSort, merge, FileAppend");
    bench::printRow("idle process peak RSS (baseline)", "-", bench::megabytes(static_cast<double>(idle.peakRssKiB)), "",
                    "-", "");
    for (const std::string& text : notes)
        std::printf("note: %s\n", text.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && std::string(argv[1]) == "--file-sort")
            return fileSortOnly(argv[2]);
        if (argc == 4 && std::string(argv[1]) == "--merge-sort")
            return mergeSortOnly(argv[2], argv[3]);
        if (argc == 2 && std::string(argv[1]) == "--idle")
            return 0;
        return runBenchmarks(parseSettings(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-bulk-commands: %s\n", error.what());
        return 1;
    }
}

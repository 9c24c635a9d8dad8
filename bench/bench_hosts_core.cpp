// bench-hosts-core: how fast the core reads a large hosts file into rows and
// saves the rows again, and how much memory the read needs.
//
//   bench-hosts-core [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
//
// With --generated the file is used as it is (and --lines, when given, is
// the number of rows it must give); otherwise one is generated.
//
// For a generated file (1,000,000 lines unless told otherwise) and for the
// largest real hosts file of the development machines it reports the median
// of N runs (7 unless told otherwise) of
//   - loadHostsFile: the file read and split into rows, both in a fresh
//     process (as the editor starts: every page of memory is new) and
//     repeated inside one process (the allocator's pages are reused);
//   - SaveList: the same rows written to a file in a temporary folder
//     (formatted, written to a temporary file, synced, renamed);
//   - formatList alone, the in-memory part of SaveList, for comparison;
//   - the peak resident memory of a fresh process that does nothing but the
//     load, read with wait4() so that it belongs to the load alone; an idle
//     process's peak is shown as the baseline.
//
// Internal modes (the program runs itself for the memory figures):
//   --load-only FILE   loads FILE, prints "rows=N" and exits
//   --idle             exits at once; its peak is the baseline of a process

#include "bench_support.h"

#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::secondsRange;
using bench::secondsSince;
using bench::timeRuns;
using bench::verdict;

constexpr double loadGoalSeconds = 0.5;
constexpr double saveGoalSeconds = 0.3;
constexpr double loadPeakGoalMegabytes = 150;

struct Subject : bench::HostsFile {
    std::vector<double> peakKiB;
    std::vector<double> freshLoadSeconds;
};

int loadOnly(const std::string& path)
{
    const auto start = Clock::now();
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(path);
    const double loadSeconds = secondsSince(start);
    std::printf("rows=%zu\nseconds=%.6f\n", loaded.rows.size(), loadSeconds);
    return 0;
}

// Peak memory of fresh processes that only load the file. Runs while this
// process is still small, since a child's peak includes the parent's at exec.
void measureLoadPeaks(Subject& subject, std::size_t runs)
{
    for (std::size_t run = 0; run < runs; ++run) {
        const bench::ChildResult child = bench::runSelf({"--load-only", subject.path});
        if (child.exitCode != 0)
            throw std::runtime_error("the load-only child failed for " + subject.path);
        const std::size_t rows = bench::parseCount(bench::outputValue(child.output, "rows").c_str(), "rows");
        if (subject.expectedRows != 0 && rows != subject.expectedRows)
            throw std::runtime_error("the load-only child read " + std::to_string(rows) + " rows of " + subject.path +
                                     ", expected " + std::to_string(subject.expectedRows));
        subject.peakKiB.push_back(static_cast<double>(child.peakRssKiB));
        subject.freshLoadSeconds.push_back(std::stod(bench::outputValue(child.output, "seconds")));
    }
}

void timeSubject(const Subject& subject, const bench::Options& options, const bench::TempFolder& work)
{
    const auto fileBytes = std::filesystem::file_size(subject.path);

    // One untimed load warms the page cache (the load-only children did too),
    // so every timed run reads the file from memory.
    vendrel::LoadedHosts loaded = vendrel::loadHostsFile(subject.path);
    const std::size_t rows = loaded.rows.size();
    if (subject.expectedRows != 0 && rows != subject.expectedRows)
        throw std::runtime_error("loaded " + std::to_string(rows) + " rows, expected " +
                                 std::to_string(subject.expectedRows));
    std::fprintf(stderr, "  %s: %llu bytes, %zu rows (%.1f bytes a line)\n", subject.label.c_str(),
                 static_cast<unsigned long long>(fileBytes), rows,
                 static_cast<double>(fileBytes) / static_cast<double>(rows));

    const std::vector<double> loadTimes = timeRuns(options.runs, [&] {
        vendrel::LoadedHosts again = vendrel::loadHostsFile(subject.path);
        if (again.rows.size() != rows)
            throw std::runtime_error("a load gave a different number of rows");
    });

    const std::string savedPath = work.file("saved-hosts");
    const std::vector<double> saveTimes =
        timeRuns(options.runs, [&] { vendrel::SaveList(loaded.rows, savedPath); });

    std::size_t formattedBytes = 0;
    const std::vector<double> formatTimes = timeRuns(options.runs, [&] {
        const std::string text = vendrel::formatList(loaded.rows);
        formattedBytes = text.size();
    });
    if (formattedBytes != std::filesystem::file_size(savedPath))
        throw std::runtime_error("the saved file does not hold the formatted list");

    const double freshLoadMedian = bench::median(subject.freshLoadSeconds);
    const double loadMedian = bench::median(loadTimes);
    const double saveMedian = bench::median(saveTimes);
    const double peakMedian = bench::median(subject.peakKiB);
    bench::printRow("load, fresh process", subject.label, bench::seconds(freshLoadMedian),
                    secondsRange(subject.freshLoadSeconds), "<= 0.5 s", verdict(freshLoadMedian <= loadGoalSeconds));
    bench::printRow("load, repeated in one process", subject.label, bench::seconds(loadMedian),
                    secondsRange(loadTimes), "<= 0.5 s", verdict(loadMedian <= loadGoalSeconds));
    bench::printRow("load peak RSS, fresh process", subject.label, bench::megabytes(peakMedian),
                    bench::megabytes(bench::minimum(subject.peakKiB)) + " .. " +
                        bench::megabytes(bench::maximum(subject.peakKiB)),
                    "<= 150 MB", verdict(bench::megabytesFromKiB(peakMedian) <= loadPeakGoalMegabytes));
    bench::printRow("SaveList (format+write+sync)", subject.label, bench::seconds(saveMedian),
                    secondsRange(saveTimes), "<= 0.3 s", verdict(saveMedian <= saveGoalSeconds));
    bench::printRow("  of which formatList", subject.label, bench::seconds(bench::median(formatTimes)),
                    secondsRange(formatTimes), "-", "");
}

int runBenchmarks(const bench::Options& options)
{
    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(options, work);
    std::vector<Subject> subjects;
    for (const bench::HostsFile& file : chosen.files)
        subjects.push_back({file, {}, {}});

    std::fprintf(stderr, "bench-hosts-core: %zu runs each\n", options.runs);
    const bench::ChildResult idle = bench::runSelf({"--idle"});
    for (Subject& subject : subjects) {
        std::fprintf(stderr, "  peak memory of load-only processes: %s\n", subject.label.c_str());
        measureLoadPeaks(subject, options.runs);
    }

    bench::printHeader();
    for (const Subject& subject : subjects)
        timeSubject(subject, options, work);
    bench::printRow("idle process peak RSS (baseline)", "-", bench::megabytes(static_cast<double>(idle.peakRssKiB)),
                    "", "-", "");
    bench::reportMissingRealFile(chosen, "load, SaveList, peak RSS");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && std::string(argv[1]) == "--load-only")
            return loadOnly(argv[2]);
        if (argc == 2 && std::string(argv[1]) == "--idle")
            return 0;
        return runBenchmarks(bench::parseOptions(
            argc, argv, "bench-hosts-core [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]", 7));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-hosts-core: %s\n", error.what());
        return 1;
    }
}

// bench-change-preview: how long the preview of a whole-file command takes,
// measured on the change a sort makes, against the sort itself.
//
//   bench-change-preview [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
//
// For a generated file (1,000,000 lines unless told otherwise) and the
// largest real hosts file, the medians of N runs (7 unless told otherwise) of
//   - sortHostsText of the text under 0.0.0.0, in memory: the yardstick;
//   - summarizeChange of the text against its sorted text, whose goal is at
//     most the sort's time;
//   - the extra peak memory of summarizeChange over the two texts, per line of
//     the file, in a fresh process (read from VmHWM, which exec resets);
//   - unifiedDiff of the text against its sorted text.
//
// Internal mode (the program runs itself for the fresh process):
//   --summary-peak BEFORE AFTER   prints "baseline=KIB" and "peak=KIB" around one summarizeChange

#include "bench_support.h"

#include "core/bulk/file_sort.h"
#include "core/hosts/text_file.h"
#include "core/preview/change_summary.h"
#include "core/preview/unified_diff.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* redirectAddress = "0.0.0.0";
constexpr double peakGoalBytesPerLine = 28;

// Lines printed after the table; run-benchmarks collects them by their prefix.
std::vector<std::string> notes;

// The high-water mark of this process's resident memory, in KiB.
long highWaterKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    throw std::runtime_error("cannot read VmHWM from /proc/self/status");
}

int summaryPeakOnly(const std::string& beforePath, const std::string& afterPath)
{
    const std::string before = vendrel::readWholeFile(beforePath);
    const std::string after = vendrel::readWholeFile(afterPath);
    const long baseline = highWaterKiB();
    const vendrel::ChangeSummary summary = vendrel::summarizeChange(before, after);
    const long peak = highWaterKiB();
    std::printf("baseline=%ld\npeak=%ld\nlines=%zu\n", baseline, peak, summary.linesBefore);
    return 0;
}

void benchmarkFile(const bench::HostsFile& file, std::size_t runs, const bench::TempFolder& work)
{
    std::fprintf(stderr, "  %s: sort, summarizeChange and unifiedDiff, %zu runs each\n", file.label.c_str(), runs);
    const std::string text = vendrel::readWholeFile(file.path);
    std::string sorted;
    const std::vector<double> sortTimes = bench::timeRuns(
        runs, [&] { sorted = vendrel::sortHostsText(text, redirectAddress); });
    const std::string sortedPath = work.file("sorted");
    vendrel::writeWholeFile(sortedPath, sorted);

    const bench::ChildResult child = bench::runSelf({"--summary-peak", file.path, sortedPath});
    if (child.exitCode != 0)
        throw std::runtime_error("the peak of summarizeChange could not be measured for " + file.path);
    const double extraKiB = std::stod(bench::outputValue(child.output, "peak")) -
                            std::stod(bench::outputValue(child.output, "baseline"));
    const double lines = std::stod(bench::outputValue(child.output, "lines"));
    const double bytesPerLine = lines > 0 ? extraKiB * 1024 / lines : 0;

    vendrel::ChangeSummary summary;
    const std::vector<double> summaryTimes = bench::timeRuns(runs,
                                                             [&] { summary = vendrel::summarizeChange(text, sorted); });
    std::size_t diffBytes = 0;
    const std::vector<double> diffTimes = bench::timeRuns(
        runs, [&] { diffBytes = vendrel::unifiedDiff(text, sorted, "hosts", "hosts (sorted)").size(); });

    const double sortMedian = bench::median(sortTimes);
    const double summaryMedian = bench::median(summaryTimes);
    char perLine[32];
    std::snprintf(perLine, sizeof perLine, "%.1f B/line", bytesPerLine);
    char peakGoal[32];
    std::snprintf(peakGoal, sizeof peakGoal, "<= %.0f B", peakGoalBytesPerLine);
    bench::printRow("sortHostsText in memory", file.label, bench::seconds(sortMedian), bench::secondsRange(sortTimes),
                    "-", "");
    bench::printRow("summarizeChange of the sort", file.label, bench::seconds(summaryMedian),
                    bench::secondsRange(summaryTimes), "<= sort", bench::verdict(summaryMedian <= sortMedian));
    bench::printRow("  summarizeChange extra peak", file.label, perLine, bench::megabytes(extraKiB), peakGoal,
                    bench::verdict(bytesPerLine <= peakGoalBytesPerLine));
    bench::printRow("unifiedDiff of the sort", file.label, bench::seconds(bench::median(diffTimes)),
                    bench::secondsRange(diffTimes), "-", "");
    char note[256];
    std::snprintf(note, sizeof note,
                  "note: the sort of %s: %zu -> %zu lines, %zu rewritten, %zu duplicates; its diff %.1f MB",
                  file.label.c_str(), summary.linesBefore, summary.linesAfter, summary.rewritten,
                  summary.duplicatesRemoved, static_cast<double>(diffBytes) / 1e6);
    notes.emplace_back(note);
}

int runBenchmarks(const bench::Options& options)
{
    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(options, work);
    std::fprintf(stderr, "bench-change-preview: %zu runs each\n", options.runs);
    bench::printHeader();
    for (const bench::HostsFile& file : chosen.files)
        benchmarkFile(file, options.runs, work);
    bench::reportMissingRealFile(chosen, "sort, summarizeChange, unifiedDiff");
    for (const std::string& note : notes)
        std::printf("%s\n", note.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::string(argv[1]) == "--summary-peak")
            return summaryPeakOnly(argv[2], argv[3]);
        return runBenchmarks(bench::parseOptions(
            argc, argv, "bench-change-preview [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]", 7));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-change-preview: %s\n", error.what());
        return 1;
    }
}

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
//     load, read with wait4() so that it belongs to the load alone, and that
//     peak against the file's size; an idle process's peak is the baseline;
//   - the bytes per row the rows take beyond the file's text, from the heap
//     in use before and after the load in that process;
//   - `vendrel-cli lines` as a fresh process: time, peak, and its peak beyond
//     an idle run of the tool (--version) and the file's bytes, per row;
//   - once, `vendrel-cli lines` of a file of 100 MB of line breaks: its peak
//     and whether it loaded or refused the file.
//
// Internal modes (the program runs itself for the memory figures):
//   --load-only FILE   loads FILE, prints "rows=N", "seconds=S" and "row_bytes=B" and exits
//   --idle             exits at once; its peak is the baseline of a process

#include "bench_cli.h"
#include "bench_support.h"

#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"

#include <malloc.h>

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
// The load's peak against the file's size, and what the rows cost beyond the file's bytes.
constexpr double loadPeakFileFactor = 1.6;
constexpr double rowOverheadGoalBytes = 12;
// A file of nothing but line breaks, the most rows its size can give: loaded
// in less than this, or refused cleanly.
constexpr std::size_t emptyLinesBytes = 100'000'000;
constexpr double emptyLinesPeakGoalMegabytes = 1500;

struct Subject : bench::HostsFile {
    std::vector<double> peakKiB;
    std::vector<double> freshLoadSeconds;
    std::vector<double> rowBytes;
};

// Bytes the allocator has handed out and not yet taken back.
std::size_t heapInUse()
{
    const struct mallinfo2 heap = ::mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

int loadOnly(const std::string& path)
{
    const std::size_t fileBytes = std::filesystem::file_size(path);
    const std::size_t heapBefore = heapInUse();
    const auto start = Clock::now();
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(path);
    const double loadSeconds = secondsSince(start);
    // The rows keep the file's bytes, which are not theirs to count.
    const double structureBytes = static_cast<double>(heapInUse() - heapBefore) - static_cast<double>(fileBytes);
    std::printf("rows=%zu\nseconds=%.6f\nrow_bytes=%.3f\n", loaded.rows.size(), loadSeconds,
                structureBytes / static_cast<double>(loaded.rows.size()));
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
        subject.rowBytes.push_back(std::stod(bench::outputValue(child.output, "row_bytes")));
    }
}

std::string bytesText(double bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f B", bytes);
    return text;
}

// The load's peak against the file, and the rows' own bytes per row, from the load-only processes.
void reportLoadMemory(const Subject& subject)
{
    const double fileMegabytes = static_cast<double>(std::filesystem::file_size(subject.path)) / 1e6;
    const double peakFactor = bench::megabytesFromKiB(bench::median(subject.peakKiB)) / fileMegabytes;
    bench::printRow("  load peak RSS / file size", subject.label, bench::times(peakFactor),
                    bench::times(bench::megabytesFromKiB(bench::minimum(subject.peakKiB)) / fileMegabytes) + " .. " +
                        bench::times(bench::megabytesFromKiB(bench::maximum(subject.peakKiB)) / fileMegabytes),
                    "<= 1.60x", verdict(peakFactor <= loadPeakFileFactor));
    const double rowBytes = bench::median(subject.rowBytes);
    bench::printRow("rows structure per row (heap, in process)", subject.label, bytesText(rowBytes),
                    bytesText(bench::minimum(subject.rowBytes)) + " .. " + bytesText(bench::maximum(subject.rowBytes)),
                    "<= 12 B", verdict(rowBytes <= rowOverheadGoalBytes));
}

// `vendrel-cli lines` (start, load, line count) of one file as fresh processes.
struct CliLines {
    const Subject* subject = nullptr;
    std::vector<double> peaks;
    std::vector<double> times;
    std::size_t rows = 0;
};

CliLines measureCliLines(const Subject& subject, std::size_t runs, const std::string& cli)
{
    CliLines measured{&subject, {}, {}, 0};
    for (std::size_t run = 0; run < runs; ++run) {
        const bench::ChildResult child = bench::runProgram(cli, {"--hosts", subject.path, "lines"});
        if (child.exitCode != 0)
            throw std::runtime_error("vendrel-cli lines failed for " + subject.path);
        measured.rows = bench::rowsInStatus(child.output);
        measured.peaks.push_back(static_cast<double>(child.peakRssKiB));
        measured.times.push_back(child.seconds);
    }
    return measured;
}

// The tool's peak beyond an idle run of it and the file's bytes, per row.
void reportCliLines(const CliLines& measured, double idleKiB)
{
    const Subject& subject = *measured.subject;
    const double fileBytes = static_cast<double>(std::filesystem::file_size(subject.path));
    const auto perRow = [&](double kib) {
        return ((kib - idleKiB) * 1024 - fileBytes) / static_cast<double>(measured.rows);
    };
    const std::vector<double>& peaks = measured.peaks;
    const double peak = bench::median(peaks);
    bench::printRow("process: vendrel-cli lines", subject.label, bench::seconds(bench::median(measured.times)),
                    secondsRange(measured.times), "-", "");
    bench::printRow("  peak RSS", subject.label, bench::megabytes(peak),
                    bench::megabytes(bench::minimum(peaks)) + " .. " + bench::megabytes(bench::maximum(peaks)), "-",
                    "");
    bench::printRow("  (peak - idle cli - file) / rows", subject.label, bytesText(perRow(peak)),
                    bytesText(perRow(bench::minimum(peaks))) + " .. " + bytesText(perRow(bench::maximum(peaks))),
                    "<= 12 B", verdict(perRow(peak) <= rowOverheadGoalBytes));
}

// One fresh `vendrel-cli lines` of 100 MB of LF bytes: a clean refusal
// (exit status 1 with a message) meets the goal as well as a load in less
// than 1.5 GB; a crash or a kill does not.
struct EmptyLines {
    long peakKiB = 0;
    std::string outcome;
    bool met = false;
};

EmptyLines measureEmptyLines(const std::string& cli, const bench::TempFolder& work)
{
    const std::string path = work.file("empty-lines");
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const std::string chunk(1'000'000, '\n');
        bool ok = file != nullptr;
        for (std::size_t written = 0; ok && written < emptyLinesBytes; written += chunk.size())
            ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
        if (!file || std::fclose(file) != 0 || !ok)
            throw std::runtime_error("cannot write " + path);
    }
    std::fprintf(stderr, "  vendrel-cli lines of %zu empty lines\n", emptyLinesBytes);
    const std::string errors = work.file("empty-lines-errors");
    const bench::ChildResult child = bench::runProgram(cli, {"--hosts", path, "lines"}, {}, errors);
    std::filesystem::remove(path);
    const double peakMegabytes = bench::megabytesFromKiB(static_cast<double>(child.peakRssKiB));
    EmptyLines measured{child.peakRssKiB, {}, false};
    if (child.exitCode == 0) {
        measured.outcome = "loaded, " + bench::seconds(child.seconds);
        measured.met = peakMegabytes < emptyLinesPeakGoalMegabytes;
        if (bench::rowsInStatus(child.output) != emptyLinesBytes)
            throw std::runtime_error("vendrel-cli lines counted other rows than the empty lines");
    } else {
        std::string message(512, '\0');
        if (std::FILE* file = std::fopen(errors.c_str(), "rb")) {
            message.resize(std::fread(message.data(), 1, message.size(), file));
            std::fclose(file);
        }
        while (!message.empty() && (message.back() == '\n' || message.back() == '\0'))
            message.pop_back();
        measured.met = child.exitCode == 1 && message.starts_with("ERROR: ");
        measured.outcome = child.exitCode < 0 ? "killed or crashed" : "refused, exit " + std::to_string(child.exitCode);
        std::printf("note: vendrel-cli lines of 100 MB of empty lines said: %s\n", message.c_str());
    }
    return measured;
}

void reportEmptyLines(const EmptyLines& measured)
{
    bench::printRow("100 MB of empty lines: vendrel-cli lines", std::to_string(emptyLinesBytes) + " LF bytes",
                    bench::megabytes(static_cast<double>(measured.peakKiB)), measured.outcome, "< 1.5 GB",
                    verdict(measured.met));
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
    const std::vector<double> saveTimes = timeRuns(options.runs, [&] { vendrel::SaveList(loaded.rows, savedPath); });

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
    bench::printRow("load, repeated in one process", subject.label, bench::seconds(loadMedian), secondsRange(loadTimes),
                    "<= 0.5 s", verdict(loadMedian <= loadGoalSeconds));
    bench::printRow("load peak RSS, fresh process", subject.label, bench::megabytes(peakMedian),
                    bench::megabytes(bench::minimum(subject.peakKiB)) + " .. " +
                        bench::megabytes(bench::maximum(subject.peakKiB)),
                    "<= 150 MB", verdict(bench::megabytesFromKiB(peakMedian) <= loadPeakGoalMegabytes));
    reportLoadMemory(subject);
    bench::printRow("SaveList (format+write+sync)", subject.label, bench::seconds(saveMedian), secondsRange(saveTimes),
                    "<= 0.3 s", verdict(saveMedian <= saveGoalSeconds));
    bench::printRow("  of which formatList", subject.label, bench::seconds(bench::median(formatTimes)),
                    secondsRange(formatTimes), "-", "");
}

int runBenchmarks(const bench::Options& options)
{
    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(options, work);
    std::vector<Subject> subjects;
    for (const bench::HostsFile& file : chosen.files)
        subjects.push_back({file, {}, {}, {}});

    std::fprintf(stderr, "bench-hosts-core: %zu runs each\n", options.runs);
    const bench::ChildResult idle = bench::runSelf({"--idle"});
    for (Subject& subject : subjects) {
        std::fprintf(stderr, "  peak memory of load-only processes: %s\n", subject.label.c_str());
        measureLoadPeaks(subject, options.runs);
    }

    // The tool's processes too run while this process is small; their rows come last.
    const std::string cli = bench::cliBesideSelf();
    const bool haveCli = std::filesystem::exists(cli);
    std::vector<CliLines> cliLines;
    long idleCliKiB = 0;
    EmptyLines emptyLines;
    if (haveCli) {
        idleCliKiB = bench::runProgram(cli, {"--version"}).peakRssKiB;
        std::fprintf(stderr, "  vendrel-cli lines, %zu processes per file\n", options.runs);
        for (const Subject& subject : subjects)
            cliLines.push_back(measureCliLines(subject, options.runs, cli));
        emptyLines = measureEmptyLines(cli, work);
    } else {
        std::fprintf(stderr, "skipped vendrel-cli lines: %s was not found\n", cli.c_str());
    }

    bench::printHeader();
    for (const Subject& subject : subjects)
        timeSubject(subject, options, work);
    for (const CliLines& measured : cliLines)
        reportCliLines(measured, static_cast<double>(idleCliKiB));
    if (haveCli) {
        reportEmptyLines(emptyLines);
        bench::printRow("idle vendrel-cli peak RSS (--version)", "-", bench::megabytes(static_cast<double>(idleCliKiB)),
                        "", "-", "");
    }
    bench::printRow("idle process peak RSS (baseline)", "-", bench::megabytes(static_cast<double>(idle.peakRssKiB)), "",
                    "-", "");
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

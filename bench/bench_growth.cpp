// bench-growth: how the time and peak memory of `vendrel-cli sort` and of a
// load grow with the hosts file. The files are made by generate-hosts with
// the same seed, so that a larger one has the same mix of lines as a smaller.
//
//   bench-growth [--runs N] [--cli FILE] --file LINES PATH [--file LINES PATH ...]
//
// The first file is the yardstick. For each file, the medians of N runs (3
// unless told otherwise), as fresh processes, of
//   - `vendrel-cli sort` of a fresh copy of the file (the copy is not timed),
//     with a data folder that does not exist, so that no version is kept:
//     start, load, sort, atomic write, status line;
//   - `vendrel-cli lines`, the load alone: start, load, status line;
// each with its peak resident memory, and both against the yardstick's. The
// goal: a file of 4 times the yardstick's lines costs at most 4.6 times its
// time and its peak memory. Other sizes are shown for information.

#include "bench_cli.h"
#include "bench_support.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double growthGoalFactor = 4.6;
// The size the goal is set for, in multiples of the yardstick's lines.
constexpr std::size_t goalMultiple = 4;

struct Figures {
    std::vector<double> times;
    std::vector<double> peaks;
};

struct Subject {
    std::size_t lines = 0;
    std::string path;
    Figures sort;
    Figures load;
};

struct Settings {
    std::size_t runs = 3;
    std::string cli;
    std::vector<Subject> subjects;
};

Settings parseSettings(int argc, char** argv)
{
    const std::string usage = "bench-growth [--runs N] [--cli FILE] --file LINES PATH [--file LINES PATH ...]";
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto values = [&](int wanted) {
            if (i + wanted >= argc)
                throw std::runtime_error(argument + " needs " + std::to_string(wanted) + " value(s)");
            i += wanted;
        };
        if (argument == "--runs") {
            values(1);
            settings.runs = bench::parseCount(argv[i], "--runs");
        } else if (argument == "--cli") {
            values(1);
            settings.cli = argv[i];
        } else if (argument == "--file") {
            values(2);
            settings.subjects.push_back({bench::parseCount(argv[i - 1], "--file LINES"), argv[i], {}, {}});
        } else {
            throw std::runtime_error("unknown argument " + argument + " (usage: " + usage + ")");
        }
    }
    if (settings.runs == 0 || settings.subjects.empty())
        throw std::runtime_error("needs at least one run and one --file (usage: " + usage + ")");
    if (settings.cli.empty())
        settings.cli = bench::cliBesideSelf();
    return settings;
}

void record(Figures& figures, const bench::ChildResult& child)
{
    figures.times.push_back(child.seconds);
    figures.peaks.push_back(static_cast<double>(child.peakRssKiB));
}

void measure(Subject& subject, const Settings& settings, const bench::TempFolder& work)
{
    std::fprintf(stderr, "  %zu lines: vendrel-cli sort and lines, %zu runs each\n", subject.lines, settings.runs);
    for (std::size_t run = 0; run < settings.runs; ++run) {
        const bench::CliResult sorted = bench::runCliOnCopy(
            {settings.cli, subject.path, {"sort"}, bench::CliHistory::None, {}}, work);
        record(subject.sort, sorted.child);
        const bench::ChildResult loaded = bench::runProgram(settings.cli, {"--hosts", subject.path, "lines"});
        if (loaded.exitCode != 0 || bench::rowsInStatus(loaded.output) != subject.lines)
            throw std::runtime_error("vendrel-cli lines did not count the " + std::to_string(subject.lines) +
                                     " lines of " + subject.path);
        record(subject.load, loaded);
    }
}

std::string label(const Subject& subject) { return "generated, " + std::to_string(subject.lines) + " lines"; }

// The rows of one measure for every file: its median and peak, and both
// against the yardstick's, with the goal at the size it is set for.
void report(const std::string& measure, Figures Subject::*figures, const std::vector<Subject>& subjects)
{
    const Subject& base = subjects.front();
    const double baseTime = bench::median((base.*figures).times);
    const double basePeak = bench::median((base.*figures).peaks);
    const std::string against = " / " + std::to_string(base.lines) + " lines";
    for (const Subject& subject : subjects) {
        const Figures& own = subject.*figures;
        const double time = bench::median(own.times);
        const double peak = bench::median(own.peaks);
        bench::printRow(measure, label(subject), bench::seconds(time), bench::secondsRange(own.times), "-", "");
        bench::printRow("  peak RSS", label(subject), bench::megabytes(peak),
                        bench::megabytes(bench::minimum(own.peaks)) + " .. " +
                            bench::megabytes(bench::maximum(own.peaks)),
                        "-", "");
        if (&subject == &base)
            continue;
        const bool withGoal = subject.lines == goalMultiple * base.lines;
        const std::string goal = withGoal ? "<= 4.60x" : "-";
        bench::printRow("  time" + against, label(subject), bench::times(time / baseTime),
                        bench::secondsVersus(time, baseTime), goal,
                        withGoal ? bench::verdict(time <= growthGoalFactor * baseTime) : "");
        bench::printRow("  peak RSS" + against, label(subject), bench::times(peak / basePeak),
                        bench::megabytes(peak) + " vs " + bench::megabytes(basePeak), goal,
                        withGoal ? bench::verdict(peak <= growthGoalFactor * basePeak) : "");
    }
}

int runBenchmarks(Settings settings)
{
    if (!fs::exists(settings.cli))
        throw std::runtime_error("cannot run " + settings.cli + ": build vendrel-cli or name it with --cli");
    for (const Subject& subject : settings.subjects)
        if (!fs::is_regular_file(subject.path))
            throw std::runtime_error("no file " + subject.path);
    bench::TempFolder work;
    std::fprintf(stderr, "bench-growth: %zu runs each\n", settings.runs);
    for (Subject& subject : settings.subjects)
        measure(subject, settings, work);

    bench::printHeader();
    report("growth: vendrel-cli sort, no history", &Subject::sort, settings.subjects);
    report("growth: load, vendrel-cli lines", &Subject::load, settings.subjects);
    std::printf("note: growth: every size is a file of generate-hosts with seed 1; a file of %zu times the first "
                "one's lines must cost at most %.1f times its time and peak memory\n",
                goalMultiple, growthGoalFactor);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return runBenchmarks(parseSettings(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-growth: %s\n", error.what());
        return 1;
    }
}

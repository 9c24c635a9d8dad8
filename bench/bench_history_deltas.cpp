// bench-history-deltas: what a change of one line of a large list costs
// when its version keeps only that line.
//
//   bench-history-deltas [--runs N] [--lines N] [--generated FILE] [--steps N]
//
// On the generated list (1,000,000 lines unless told otherwise) as a save
// writes it, side by side in one run, medians of N runs (5 unless told):
//   - vendrel-cli lines (the load alone) and the file's write (the atomic
//     write with fsync of its bytes), the yardsticks;
//   - vendrel-cli toggle with a history whose newest version keeps its edit,
//     as a whole process: its time (goal: at most 1.25 x lines + the write)
//     and its peak memory (goal: at most 1.6 x the file);
//   - the disk one toggle's version takes (goal: at most 4 KiB), and the
//     share of each toggle in the whole version kept every so often;
//   - STEPS toggles (100 unless told) then as many undos, all by vendrel-cli:
//     every undo must give back the file as it was before that toggle
//     (length and CRC-32 of each state; every byte of the first), and the
//     history's size on disk then (goal: at most 2 x the file);
//   - the editor's toggle and save, in its own process as the editor makes
//     them, against the write (goal: at most the write + 20 ms), and what
//     its memory grew by over 100 of them;
//   - vendrel-cli sort with history into a fresh data folder (it took 0.5 to
//     0.6 s before versions were kept as edits).

#include "bench_cli.h"
#include "bench_support.h"

#include "core/editing/line_commands.h"
#include "core/history/hosts_history.h"
#include "core/history/version_file.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_ends.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/session/change_writer.h"
#include "core/session/hosts_commands.h"
#include "platform/platform.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double toggleTimeGoal = 1.25; // x lines, plus the write
constexpr double togglePeakGoal = 1.6;  // x the file
constexpr std::uint64_t versionGoal = 4096;
constexpr double historySizeGoal = 2.0; // x the file
constexpr double editorSlack = 0.020;   // seconds beyond the write

struct Setting {
    std::string cli = bench::cliBesideSelf();
    std::string list;                 // the generated list as a save writes it
    std::vector<std::size_t> entries; // numbers of its lines that are blocking entries
    std::size_t size = 0;
    std::size_t runs = 5;
    std::size_t steps = 100;
    const bench::TempFolder* work = nullptr;
};

bench::ChildResult runCli(const Setting& setting, const std::string& hosts, const std::string& data,
                          std::vector<std::string> command)
{
    std::vector<std::string> arguments{"--hosts", hosts, "--data-dir", data};
    arguments.insert(arguments.end(), command.begin(), command.end());
    bench::ChildResult result = bench::runProgram(setting.cli, arguments);
    if (result.exitCode != 0)
        throw std::runtime_error("vendrel-cli " + command.front() + " failed: " + result.output);
    return result;
}

// A fresh copy of the list and a data folder whose history's newest version
// keeps its edit, so that the next toggle is kept on it.
void prepareHistory(const Setting& setting, const std::string& hosts, const std::string& data)
{
    bench::freshCopy(setting.list, hosts);
    fs::remove_all(data);
    fs::create_directories(data);
    runCli(setting, hosts, data, {"toggle", std::to_string(setting.entries[0])});
}

std::uint64_t folderSize(const std::string& folder)
{
    std::uint64_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        total += entry.file_size();
    return total;
}

long ownRssKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    return 0;
}

struct Yardsticks {
    double lines = 0;
    double write = 0;
};

Yardsticks measureYardsticks(const Setting& setting)
{
    std::vector<double> lines;
    for (std::size_t run = 0; run < setting.runs; ++run)
        lines.push_back(runCli(setting, setting.list, setting.work->file("none"), {"--no-history", "lines"}).seconds);
    const std::string text = vendrel::readWholeFile(setting.list);
    const std::string copy = setting.work->file("write-copy");
    const std::vector<double> write = bench::timeRuns(setting.runs, [&] { vendrel::writeWholeFile(copy, text); });
    bench::printRow("vendrel-cli lines (the load)", "", bench::seconds(bench::median(lines)),
                    bench::secondsRange(lines), "-", "");
    bench::printRow("the file's write (atomic, with fsync)", "", bench::seconds(bench::median(write)),
                    bench::secondsRange(write), "-", "");
    return {bench::median(lines), bench::median(write)};
}

void measureCliToggle(const Setting& setting, const Yardsticks& yardsticks)
{
    const std::string hosts = setting.work->file("toggle-hosts");
    const std::string data = setting.work->file("toggle-data");
    prepareHistory(setting, hosts, data);
    std::vector<double> times, peaks, sizes;
    const vendrel::HostsHistory history(data + "/history");
    for (std::size_t run = 0; run < setting.runs; ++run) {
        const bench::ChildResult result = runCli(setting, hosts, data, {"toggle", std::to_string(setting.entries[1])});
        times.push_back(result.seconds);
        peaks.push_back(bench::megabytesFromKiB(static_cast<double>(result.peakRssKiB)));
        const vendrel::VersionInfo kept = history.versions().back();
        if (kept.base == 0)
            throw std::runtime_error("the toggle's version was kept whole");
        sizes.push_back(static_cast<double>(kept.diskSize));
    }
    const double timeGoal = toggleTimeGoal * yardsticks.lines + yardsticks.write;
    const double peakGoal = togglePeakGoal * static_cast<double>(setting.size) / 1e6;
    bench::printRow("vendrel-cli toggle, with history", "", bench::seconds(bench::median(times)),
                    bench::secondsRange(times), "<= " + bench::seconds(timeGoal),
                    bench::verdict(bench::median(times) <= timeGoal));
    bench::printRow("  its peak memory (MB)", "", std::to_string(bench::median(peaks)).substr(0, 5),
                    std::to_string(bench::minimum(peaks)).substr(0, 5) + " .. " +
                        std::to_string(bench::maximum(peaks)).substr(0, 5),
                    "<= " + std::to_string(peakGoal).substr(0, 5), bench::verdict(bench::maximum(peaks) <= peakGoal));
    bench::printRow("  its version on disk (bytes)", "", std::to_string(static_cast<long>(bench::median(sizes))), "",
                    "<= " + std::to_string(versionGoal),
                    bench::verdict(bench::maximum(sizes) <= static_cast<double>(versionGoal)));
    const std::uint64_t whole = history.versions().front().diskSize;
    bench::printRow(
        "  share of the whole version (bytes)", "", std::to_string(whole / (vendrel::longestVersionChain + 1)),
        "1 in " + std::to_string(vendrel::longestVersionChain + 1) + " of " + std::to_string(whole), "-", "");
}

void measureToggleThenUndo(const Setting& setting)
{
    const std::string hosts = setting.work->file("steps-hosts");
    const std::string data = setting.work->file("steps-data");
    bench::freshCopy(setting.list, hosts);
    fs::remove_all(data);
    fs::create_directories(data);
    const std::string original = vendrel::readWholeFile(hosts);
    std::vector<std::string> states;
    std::vector<double> toggles, undos;
    for (std::size_t step = 0; step < setting.steps; ++step) {
        states.push_back(vendrel::contentHash(vendrel::readWholeFile(hosts)));
        toggles.push_back(
            runCli(setting, hosts, data, {"toggle", std::to_string(setting.entries[2 + step % 1000])}).seconds);
    }
    std::size_t exact = 0;
    for (std::size_t step = setting.steps; step-- > 0;) {
        undos.push_back(runCli(setting, hosts, data, {"undo"}).seconds);
        exact += vendrel::contentHash(vendrel::readWholeFile(hosts)) == states[step] ? 1 : 0;
    }
    const bool allBack = exact == setting.steps && vendrel::readWholeFile(hosts) == original;
    const std::uint64_t onDisk = folderSize(data + "/history");
    const std::string label = std::to_string(setting.steps) + " toggles, then " + std::to_string(setting.steps);
    bench::printRow(label + " undos", "", std::to_string(exact) + " exact", "", "all", bench::verdict(allBack));
    bench::printRow("  the toggles, each", "", bench::seconds(bench::median(toggles)), bench::secondsRange(toggles),
                    "-", "");
    bench::printRow("  the undos, each", "", bench::seconds(bench::median(undos)), bench::secondsRange(undos), "-", "");
    const double limit = historySizeGoal * static_cast<double>(setting.size);
    bench::printRow(
        "  the history on disk then (MB)", "", std::to_string(static_cast<double>(onDisk) / 1e6).substr(0, 5),
        std::to_string(bench::versionsIn(data)) + " versions", "<= " + std::to_string(limit / 1e6).substr(0, 5),
        bench::verdict(static_cast<double>(onDisk) <= limit));
}

void measureEditorToggle(const Setting& setting, const Yardsticks& yardsticks)
{
    const std::string hosts = setting.work->file("editor-hosts");
    const std::string data = setting.work->file("editor-data");
    prepareHistory(setting, hosts, data);
    vendrel::HostsDocument document(hosts);
    vendrel::ChangeWriter writer(data);
    document.load();
    // As the editor saves a line command's rows (CommandHost::saveRows).
    const auto toggleAndSave = [&](std::size_t row) {
        vendrel::toggleLineComment(document.rows(), row);
        vendrel::PlannedChange change = vendrel::planSaveRows(document, "Toggle Comment");
        const vendrel::AppliedChange applied = writer.apply(change);
        document.adoptWrittenRows(applied.basis, std::move(change.after));
    };
    toggleAndSave(setting.entries[0] - 1); // the first save after the load writes the list anew
    const long rssBefore = ownRssKiB();
    std::vector<double> times;
    for (std::size_t edit = 0; edit < 100; ++edit) {
        const auto start = bench::Clock::now();
        toggleAndSave(setting.entries[1 + edit % 7] - 1);
        times.push_back(bench::secondsSince(start));
    }
    const long growth = ownRssKiB() - rssBefore;
    const double goal = yardsticks.write + editorSlack;
    bench::printRow("editor: toggle and save, with history", "", bench::seconds(bench::median(times)),
                    bench::secondsRange(times), "<= " + bench::seconds(goal),
                    bench::verdict(bench::median(times) <= goal));
    bench::printRow("  its memory after 100 more (MB)", "", std::to_string(growth / 1024.0).substr(0, 5), "",
                    "no growth", bench::verdict(growth < 4096));
}

void measureSort(const Setting& setting)
{
    std::vector<double> times;
    for (std::size_t run = 0; run < setting.runs; ++run)
        times.push_back(
            bench::runCliOnCopy({setting.cli, setting.list, {"sort"}, bench::CliHistory::Kept, {}}, *setting.work)
                .child.seconds);
    bench::printRow("vendrel-cli sort, with history", "", bench::seconds(bench::median(times)),
                    bench::secondsRange(times), "~0.5-0.6 s before", "");
}

// The numbers of the first lines of `list` that are blocking entries: the
// lines a user toggles (a comment toggled in writes a line of another form).
std::vector<std::size_t> entryLines(const std::string& list)
{
    std::vector<std::size_t> found;
    std::size_t number = 0;
    vendrel::forEachLine(vendrel::readWholeFile(list), [&](std::string_view line) {
        ++number;
        if (found.size() < 1100 && line.starts_with("0.0.0.0\t"))
            found.push_back(number);
    });
    return found;
}

// The generated file as a save writes it: a list whose rows are its lines.
std::string savedList(const std::string& generated, const bench::TempFolder& work)
{
    const std::string text = vendrel::readWholeFile(generated);
    const vendrel::LoadedHosts loaded = vendrel::parseHostsText(text, generated);
    const std::string list = work.file("list");
    vendrel::writeWholeFile(
        list, vendrel::withLineBreaks(vendrel::formatList(loaded.rows), vendrel::lineBreakOf(text, vendrel::crLf)));
    return list;
}

int runBenchmarks(const bench::Options& options, std::size_t steps)
{
    bench::TempFolder work;
    bench::Options generatedOnly = options;
    generatedOnly.useRealFile = false;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(generatedOnly, work);
    Setting setting;
    setting.list = savedList(chosen.files.front().path, work);
    setting.size = fs::file_size(setting.list);
    setting.entries = entryLines(setting.list);
    setting.runs = options.runs;
    setting.steps = steps;
    setting.work = &work;
    std::fprintf(stderr, "bench-history-deltas: %s (%zu bytes as a save writes it), %zu runs each\n",
                 chosen.files.front().label.c_str(), setting.size, options.runs);
    bench::printHeader();
    const Yardsticks yardsticks = measureYardsticks(setting);
    measureCliToggle(setting, yardsticks);
    measureToggleThenUndo(setting);
    measureEditorToggle(setting, yardsticks);
    measureSort(setting);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    platform::giveLargeBlocksBack(); // as the editor and vendrel-cli do first
    try {
        std::size_t steps = 100;
        const bench::Options options = bench::parseOptions(
            argc, argv, "bench-history-deltas [--runs N] [--lines N] [--generated FILE] [--steps N]", 5,
            [&steps](const std::string& argument, const auto& value) {
                if (argument != "--steps")
                    return false;
                steps = bench::parseCount(value(), "--steps");
                return true;
            });
        return runBenchmarks(options, steps);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-history-deltas: %s\n", error.what());
        return 1;
    }
}

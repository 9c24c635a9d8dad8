// bench-history: what keeping the hosts file's history costs a change, and
// how long an undo takes.
//
//   bench-history [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
//
// For a generated file (1,000,000 lines unless told otherwise) and the
// largest real hosts file, the medians of N runs (5 unless told otherwise) of
//   - a toggle and save through the session without a history, and with one:
//     the difference is the history's cost, whose goal is at most 0.15 s. The
//     version is compressed after the save on a thread of its own; that time
//     is shown apart (the next save waits for it when it comes sooner);
//   - the undo of a sort, whose goal is at most 0.5 s.

#include "bench_support.h"

#include "core/editing/line_commands.h"
#include "core/hosts/text_file.h"
#include "core/session/change_writer.h"
#include "core/session/history_steps.h"
#include "core/session/hosts_commands.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double historyCostGoal = 0.15;
constexpr double undoGoal = 0.5;

struct SaveTimes {
    std::vector<double> save;       // until the save returns
    std::vector<double> background; // then until the version is compressed
};

SaveTimes toggleAndSaveTimes(const std::string& hosts, const std::string& dataFolder, std::size_t runs)
{
    vendrel::HostsDocument document(hosts);
    vendrel::ChangeWriter writer(dataFolder);
    document.load();
    SaveTimes times;
    for (std::size_t run = 0; run < runs; ++run) {
        const auto start = bench::Clock::now();
        vendrel::toggleLineComment(document.rows(), 1);
        document.adopt(writer.apply(vendrel::planSaveRows(document, "Toggle Comment")).basis);
        times.save.push_back(bench::secondsSince(start));
        const auto saved = bench::Clock::now();
        writer.finishHistoryWork();
        times.background.push_back(bench::secondsSince(saved));
    }
    return times;
}

std::vector<double> undoOfSortTimes(const std::string& hosts, const std::string& dataFolder, std::size_t runs)
{
    std::vector<double> times;
    vendrel::HostsDocument document(hosts);
    vendrel::ChangeWriter writer(dataFolder);
    for (std::size_t i = 0; i < runs; ++i) {
        document.load();
        writer.apply(vendrel::planSort(document));
        const auto start = bench::Clock::now();
        writer.apply(vendrel::planUndo(document, writer));
        times.push_back(bench::secondsSince(start));
    }
    return times;
}

void benchmarkFile(const bench::HostsFile& file, std::size_t runs, const bench::TempFolder& work)
{
    std::fprintf(stderr, "  %s: toggle+save without and with history, undo of a sort, %zu runs each\n",
                 file.label.c_str(), runs);
    const std::string hosts = work.file("hosts");
    vendrel::writeWholeFile(hosts, vendrel::readWholeFile(file.path));
    const std::string dataFolder = work.file("data");
    std::filesystem::remove_all(dataFolder);

    const std::vector<double> plain = toggleAndSaveTimes(hosts, "", runs).save;
    std::filesystem::create_directories(dataFolder);
    const SaveTimes withHistory = toggleAndSaveTimes(hosts, dataFolder, runs);
    const std::vector<double>& kept = withHistory.save;
    const double cost = bench::median(kept) - bench::median(plain);
    bench::printRow("toggle+save, no history", file.label, bench::seconds(bench::median(plain)),
                    bench::secondsRange(plain), "-", "");
    bench::printRow("toggle+save, with history", file.label, bench::seconds(bench::median(kept)),
                    bench::secondsRange(kept), "-", "");
    bench::printRow("  added cost of the history", file.label, bench::seconds(cost), "",
                    "<= " + bench::seconds(historyCostGoal), bench::verdict(cost <= historyCostGoal));
    bench::printRow("  then compressing the version", file.label, bench::seconds(bench::median(withHistory.background)),
                    bench::secondsRange(withHistory.background), "(background)", "");

    const std::vector<double> undo = undoOfSortTimes(hosts, dataFolder, runs);
    bench::printRow("undo of a sort", file.label, bench::seconds(bench::median(undo)), bench::secondsRange(undo),
                    "<= " + bench::seconds(undoGoal), bench::verdict(bench::median(undo) <= undoGoal));
    std::filesystem::remove_all(dataFolder);
}

int runBenchmarks(const bench::Options& options)
{
    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(options, work);
    std::fprintf(stderr, "bench-history: %zu runs each\n", options.runs);
    bench::printHeader();
    for (const bench::HostsFile& file : chosen.files)
        benchmarkFile(file, options.runs, work);
    bench::reportMissingRealFile(chosen, "toggle+save with history, undo of a sort");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return runBenchmarks(bench::parseOptions(
            argc, argv, "bench-history [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]", 5));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-history: %s\n", error.what());
        return 1;
    }
}

// bench-line-commands: how long the commands on one line of a large hosts
// list take, as the editor runs them, and how long a search through every
// row takes.
//
//   bench-line-commands [--runs N] [--cli-runs N] [--cli FILE] [--lines N] [--generated FILE]
//                       [--real FILE | --no-real]
//
// For a generated file (1,000,000 lines unless told otherwise) and for the
// largest real hosts file of the development machines it reports the median
// of N runs (7 unless told otherwise) of
//   - each line command followed by the save the editor does after it, on
//     rows loaded before the clock starts: toggleLineComment of the middle
//     row, deleteRow of the middle row, and appendRow of
//     splitTypedLine("0.0.0.0 new.example.com"); each then SaveList to a file
//     in a temporary folder. Every run works on freshly loaded rows, so each
//     is the first change after the file was opened, as in the editor;
//   - the change alone, without the save, for comparison;
//   - a search that finds nothing: searchRows forward from row 0, which
//     examines every other row, with a RowMatcher made once for an ASCII
//     text and once for a text with letters outside ASCII;
// and the median of --cli-runs (5) runs of the command-line tool's
// "toggle LINE" on the middle line, as a whole process: start, load, change,
// save, exit. Each run works on a fresh copy of the file.
//
// The command-line tool is looked for beside this program unless --cli names it.

#include "bench_support.h"

#include "core/editing/line_commands.h"
#include "core/editing/row_search.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/list_file_format.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::secondsSince;
namespace fs = std::filesystem;

constexpr double lineCommandGoalSeconds = 0.3;
constexpr double searchGoalSeconds = 0.5;

// Texts that occur in no hosts file under test, so that a search runs to the end.
constexpr const char* asciiSearchText = "no-such-host-anywhere";
constexpr const char* nonAsciiSearchText = "\xC3\xB1"
                                           "and\xC3\xBA-nowhere"; // "ñandú-nowhere" in UTF-8
constexpr const char* typedLine = "0.0.0.0 new.example.com";

struct Settings {
    bench::Options options;
    std::size_t cliRuns = 5;
    std::string cliProgram;
};

// The line a command works on: the middle one, 1-based (500000 of 1,000,000).
std::size_t middleLine(std::size_t rows) { return rows / 2 == 0 ? 1 : rows / 2; }

struct CommandTimes {
    std::vector<double> withSave;
    std::vector<double> changeOnly;
};

// Runs `change` on freshly loaded rows, then SaveList, N times. The load is
// not timed; `check` looks at the rows after the change and throws when the
// change did not happen.
CommandTimes timeLineCommand(const bench::HostsFile& subject, std::size_t runs, const std::string& savedPath,
                             const std::function<void(vendrel::HostsRows&)>& change,
                             const std::function<void(const vendrel::HostsRows&)>& check)
{
    CommandTimes times;
    std::optional<vendrel::LoadedHosts> loaded;
    for (std::size_t run = 0; run < runs; ++run) {
        loaded.reset(); // the previous rows go before the next load, as when the editor opens a file
        loaded = vendrel::loadHostsFile(subject.path);
        vendrel::HostsRows& rows = loaded->rows;

        const auto start = Clock::now();
        change(rows);
        const double changed = secondsSince(start);
        vendrel::SaveList(rows, savedPath);
        times.withSave.push_back(secondsSince(start));
        times.changeOnly.push_back(changed);

        check(rows);
        if (fs::file_size(savedPath) < rows.cellBytes() + rows.size())
            throw std::runtime_error("the saved file is shorter than the rows it must hold");
    }
    return times;
}

void printCommandRows(const std::string& measure, const std::string& changeMeasure, const std::string& label,
                      const CommandTimes& times)
{
    const double middle = bench::median(times.withSave);
    bench::printRow(measure, label, bench::seconds(middle), bench::secondsRange(times.withSave), "<= 0.3 s",
                    bench::verdict(middle <= lineCommandGoalSeconds));
    bench::printRow(changeMeasure, label, bench::milliseconds(bench::median(times.changeOnly)),
                    bench::milliseconds(bench::minimum(times.changeOnly)) + " .. " +
                        bench::milliseconds(bench::maximum(times.changeOnly)),
                    "-", "");
}

void benchmarkLineCommands(const bench::HostsFile& subject, std::size_t runs, std::size_t rows,
                           const bench::TempFolder& work)
{
    const std::string savedPath = work.file("saved-hosts");
    const std::size_t row = middleLine(rows) - 1;

    std::fprintf(stderr, "  %s: toggleLineComment of row %zu + SaveList\n", subject.label.c_str(), row);
    bool wasComment = false;
    const CommandTimes toggle = timeLineCommand(
        subject, runs, savedPath,
        [&](vendrel::HostsRows& target) {
            wasComment = vendrel::isCommentRow(target, row);
            vendrel::toggleLineComment(target, row);
        },
        [&](const vendrel::HostsRows& result) {
            if (vendrel::isCommentRow(result, row) == wasComment)
                throw std::runtime_error("toggleLineComment did not change the row");
        });

    std::fprintf(stderr, "  %s: deleteRow of row %zu + SaveList\n", subject.label.c_str(), row);
    const CommandTimes remove = timeLineCommand(
        subject, runs, savedPath, [&](vendrel::HostsRows& target) { vendrel::deleteRow(target, row); },
        [&](const vendrel::HostsRows& result) {
            if (rows > 1 && result.size() != rows - 1)
                throw std::runtime_error("deleteRow did not remove the row");
        });

    std::fprintf(stderr, "  %s: appendRow(splitTypedLine(\"%s\")) + SaveList\n", subject.label.c_str(), typedLine);
    const CommandTimes add = timeLineCommand(
        subject, runs, savedPath,
        [](vendrel::HostsRows& target) {
            const auto [address, host] = vendrel::splitTypedLine(typedLine);
            target.appendRow(address, host);
        },
        [&](const vendrel::HostsRows& result) {
            const std::size_t last = result.size() - 1;
            if (result.size() != rows + 1 || result.address(last) != "0.0.0.0" ||
                result.host(last) != "new.example.com")
                throw std::runtime_error("appendRow did not add the typed line");
        });

    printCommandRows("toggle comment + SaveList", "  of which toggleLineComment", subject.label, toggle);
    printCommandRows("delete line + SaveList", "  of which deleteRow", subject.label, remove);
    printCommandRows("add line + SaveList", "  of which appendRow", subject.label, add);
}

void benchmarkSearch(const bench::HostsFile& subject, std::size_t runs, const vendrel::HostsRows& rows)
{
    const auto searchRow = [&](const std::string& measure, const char* text, double goal) {
        std::fprintf(stderr, "  %s: search for \"%s\" from row 0\n", subject.label.c_str(), text);
        const vendrel::RowMatcher matcher(text);
        const std::vector<double> times = bench::timeRuns(runs, [&] {
            const vendrel::SearchOutcome outcome = vendrel::searchRows(rows, 0, vendrel::SearchDirection::Forward,
                                                                       matcher);
            if (outcome.found || outcome.selection != 0)
                throw std::runtime_error(std::string("the search found \"") + text + "\"");
        });
        const double middle = bench::median(times);
        bench::printRow(measure, subject.label, bench::seconds(middle), bench::secondsRange(times),
                        goal > 0 ? "<= 0.5 s" : "-", goal > 0 ? bench::verdict(middle <= goal) : "");
    };
    searchRow("search to the end, ASCII text", asciiSearchText, searchGoalSeconds);
    searchRow("search to the end, non-ASCII text", nonAsciiSearchText, 0);
}

// The command-line tool's toggle of the middle line as a whole process, on a
// fresh copy of the file each run (the copy is not timed).
void benchmarkCliToggle(const bench::HostsFile& subject, const Settings& settings, std::size_t rows,
                        const bench::TempFolder& work)
{
    const std::string line = std::to_string(middleLine(rows));
    const std::string copy = work.file("cli-hosts");
    std::fprintf(stderr, "  %s: vendrel-cli --hosts COPY toggle %s, %zu processes\n", subject.label.c_str(),
                 line.c_str(), settings.cliRuns);
    std::vector<double> times;
    for (std::size_t run = 0; run < settings.cliRuns; ++run) {
        fs::copy_file(subject.path, copy, fs::copy_options::overwrite_existing);
        fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
        const bench::ChildResult child = bench::runProgram(settings.cliProgram, {"--hosts", copy, "toggle", line});
        if (child.exitCode != 0 || child.output.empty())
            throw std::runtime_error("vendrel-cli toggle " + line + " failed for a copy of " + subject.path);
        times.push_back(child.seconds);
    }
    bench::printRow("process: vendrel-cli toggle " + line, subject.label, bench::seconds(bench::median(times)),
                    bench::secondsRange(times), "-", "");
}

void benchmarkSubject(const bench::HostsFile& subject, const Settings& settings, const bench::TempFolder& work)
{
    std::size_t rows = 0;
    {
        // One untimed load warms the page cache and gives the rows to search;
        // they are gone before the line commands load their own.
        const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(subject.path);
        rows = loaded.rows.size();
        if (subject.expectedRows != 0 && rows != subject.expectedRows)
            throw std::runtime_error("loaded " + std::to_string(rows) + " rows, expected " +
                                     std::to_string(subject.expectedRows));
        std::fprintf(stderr, "  %s: %zu rows\n", subject.label.c_str(), rows);
        benchmarkSearch(subject, settings.options.runs, loaded.rows);
    }
    benchmarkLineCommands(subject, settings.options.runs, rows, work);
    benchmarkCliToggle(subject, settings, rows, work);
}

Settings parseSettings(int argc, char** argv)
{
    Settings settings;
    settings.options = bench::parseOptions(
        argc, argv,
        "bench-line-commands [--runs N] [--cli-runs N] [--cli FILE] [--lines N] [--generated FILE] "
        "[--real FILE | --no-real]",
        7, [&settings](const std::string& argument, const std::function<const char*()>& value) {
            if (argument == "--cli-runs")
                settings.cliRuns = bench::parseCount(value(), "--cli-runs");
            else if (argument == "--cli")
                settings.cliProgram = value();
            else
                return false;
            return true;
        });
    if (settings.cliRuns == 0)
        throw std::runtime_error("--cli-runs must be at least 1");
    if (settings.cliProgram.empty())
        settings.cliProgram = (fs::path(bench::selfExecutable()).parent_path() / "vendrel-cli").string();
    if (::access(settings.cliProgram.c_str(), X_OK) != 0)
        throw std::runtime_error("cannot run " + settings.cliProgram +
                                 ": build the vendrel-cli target or name the program with --cli");
    return settings;
}

int runBenchmarks(const Settings& settings)
{
    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(settings.options, work);

    std::fprintf(stderr, "bench-line-commands: %zu runs each, %zu of vendrel-cli\n", settings.options.runs,
                 settings.cliRuns);
    bench::printHeader();
    for (const bench::HostsFile& subject : chosen.files)
        benchmarkSubject(subject, settings, work);
    bench::reportMissingRealFile(chosen, "line commands, search, vendrel-cli");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return runBenchmarks(parseSettings(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-line-commands: %s\n", error.what());
        return 1;
    }
}

// vendrel-cli update of five block-list sources served from this machine,
// each of --lines lines (200,000 by default) of blocking entries, measured
// as whole processes the way the daily timer runs them:
//   - all changed: every source serves new names (a fresh generation each
//     run) into a hosts file that holds the last run's, the whole change
//     one write with its version; goal at most 1.5 times vendrel-cli merge
//     of the same lines (all five lists in one file) into the same file;
//   - all unchanged: every source answers 304 to the conditional GET; goal
//     under 0.1 s, and the hosts file not written (its bytes and its
//     history stay as they were).
//
// Usage: bench-source-update [--runs N] [--lines N]

#include "bench_cli.h"
#include "bench_support.h"
#include "local_http_server.h"

#include <cstdio>
#include <fstream>

namespace {

constexpr std::size_t sourceCount = 5;
constexpr double changedGoalRatio = 1.5;
constexpr double unchangedGoalSeconds = 0.1;

using testing_support::LocalHttpServer;

// Source `source`'s list of generation `generation`: its own names, none
// shared with another source or generation.
std::string listOf(std::size_t source, std::size_t generation, std::size_t lines)
{
    std::string text = "# block list " + std::to_string(source) + "\n";
    text.reserve(lines * 40);
    bench::Random random(source * 7919 + generation);
    for (std::size_t line = 0; line < lines; ++line)
        text += "0.0.0.0 g" + std::to_string(generation) + "-s" + std::to_string(source) + "-" +
                std::to_string(random.next() % 1000000000) + "-" + std::to_string(line) + ".ads.example\n";
    return text;
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Setting {
    const bench::TempFolder& work;
    LocalHttpServer& server;
    std::size_t lines;
    std::string hosts = work.file("hosts");
    std::string data = work.file("data");

    std::vector<std::string> lists(std::size_t generation) const
    {
        std::vector<std::string> all;
        for (std::size_t source = 0; source < sourceCount; ++source)
            all.push_back(listOf(source, generation, lines));
        return all;
    }
    void serve(std::size_t generation) const
    {
        std::size_t source = 0;
        for (std::string& list : lists(generation)) {
            LocalHttpServer::Response response(200, std::move(list));
            response.etag = "\"" + std::to_string(generation) + "-" + std::to_string(source) + "\"";
            server.serve("/list" + std::to_string(source++), std::move(response));
        }
    }
    void writeSources() const
    {
        std::string text;
        for (std::size_t source = 0; source < sourceCount; ++source)
            text += "[list" + std::to_string(source) + "]\naddress = " + server.url("/list" + std::to_string(source)) +
                    "\nformat = text\n";
        std::filesystem::create_directories(data);
        writeFile(data + "/sources.ini", text);
    }
    bench::ChildResult update(const std::string& cli) const
    {
        const bench::ChildResult run = bench::runProgram(
            cli, {"--hosts", hosts, "--data-dir", data, "update", "--quiet", "--exit-status"});
        if (run.exitCode != 0 && run.exitCode != 3)
            throw std::runtime_error("vendrel-cli update failed: " + run.output);
        return run;
    }
};

} // namespace

int main(int argc, char** argv)
try {
    std::size_t lines = 200'000;
    const bench::Options options = bench::parseOptions(argc, argv, "bench-source-update [--runs N] [--lines N]", 3);
    if (options.linesGiven)
        lines = options.lines;
    const std::string cli = bench::cliBesideSelf();
    bench::TempFolder work;
    LocalHttpServer server;
    Setting setting{work, server, lines};
    setting.writeSources();
    writeFile(setting.hosts, "127.0.0.1 localhost\n::1 localhost\n");

    // The first update fills the hosts file; each run then changes every list.
    setting.serve(0);
    setting.update(cli);
    std::vector<double> changed, unchanged, merged;
    std::size_t generation = 0;
    for (std::size_t run = 0; run < options.runs; ++run) {
        const std::string before = readFile(setting.hosts);
        // The merge of the same lines into the same file, as the yardstick.
        std::string all;
        for (const std::string& list : setting.lists(generation + 1))
            all += list;
        writeFile(work.file("all-lists"), all);
        writeFile(work.file("merge-hosts"), before);
        const bench::ChildResult merge = bench::runProgram(cli,
                                                           {"--hosts", work.file("merge-hosts"), "--data-dir",
                                                            work.file("merge-data"), "merge", work.file("all-lists")});
        if (merge.exitCode != 0)
            throw std::runtime_error("vendrel-cli merge failed: " + merge.output);
        merged.push_back(merge.seconds);

        setting.serve(++generation);
        changed.push_back(setting.update(cli).seconds);
        const std::string written = readFile(setting.hosts);
        const std::size_t versions = bench::versionsIn(setting.data);
        unchanged.push_back(setting.update(cli).seconds);
        if (readFile(setting.hosts) != written || bench::versionsIn(setting.data) != versions)
            throw std::runtime_error("an update of unchanged sources wrote the hosts file");
    }

    const std::string what = std::to_string(sourceCount) + " x " + std::to_string(lines) + " lines";
    bench::printHeader();
    bench::printRow("vendrel-cli merge of the same lines", what, bench::seconds(bench::median(merged)),
                    bench::secondsRange(merged), "yardstick", "");
    const double ratio = bench::median(changed) / bench::median(merged);
    bench::printRow("update, every source changed", what, bench::seconds(bench::median(changed)),
                    bench::secondsRange(changed), "<= 1.5x merge", bench::verdict(ratio <= changedGoalRatio));
    bench::printRow("  against the merge", what, bench::times(ratio), "", "<= 1.5x", bench::verdict(ratio <= 1.5));
    bench::printRow("update, every source 304 (nothing written)", what, bench::seconds(bench::median(unchanged)),
                    bench::secondsRange(unchanged), "< 0.1 s",
                    bench::verdict(bench::median(unchanged) < unchangedGoalSeconds));
    return 0;
} catch (const std::exception& error) {
    std::fprintf(stderr, "bench-source-update: %s\n", error.what());
    return 1;
}

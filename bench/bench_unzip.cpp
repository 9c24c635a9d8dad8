// bench-unzip: how long the editor's own unpacker takes to unpack a zipped
// hosts list, with Info-ZIP's `unzip -p ARCHIVE MEMBER > /dev/null` on the
// same archive as the yardstick.
//
//   bench-unzip [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
//
// Each hosts file (a generated one of 100,000 lines unless told otherwise,
// and the largest real hosts file where it exists) is copied into a
// temporary folder as "hosts" and zipped there by Info-ZIP `zip` (default
// level). Reported are medians of N runs (7) of
//   - this program in a fresh process that opens the archive, selects the
//     member "hosts", unpacks it and writes it to standard output, which is
//     /dev/null; timed from spawn until reaped;
//   - `unzip -p ARCHIVE hosts` the same way, in turn with it;
//   - their ratio, with the goal that ours takes at most 1.5 times as long;
//   - for information, in this process: ZipArchive::fromFile plus extract,
//     and extractMembers into a folder (atomic write with fsync).
//
// Internal mode (the program runs itself for the fresh processes):
//   --unpack-only ARCHIVE MEMBER   writes the first selected member to standard output

#include "bench_support.h"

#include "core/download/unzip/extract_members.h"
#include "core/download/unzip/zip_archive.h"

#include <fcntl.h>
#include <spawn.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double ratioGoal = 1.5;
constexpr std::size_t defaultLines = 100'000;
constexpr const char* memberName = "hosts";

// Wall-clock seconds of `program` with `arguments`, from spawn until reaped,
// its standard output going to /dev/null. Throws when it does not exit with 0.
double secondsToDevNull(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = bench::Clock::now();
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + program);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            throw std::runtime_error("cannot wait for " + program);
    const double seconds = bench::secondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(program + " failed on " + arguments.front());
    return seconds;
}

std::string fileBytes(const std::string& path)
{
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const bool read = file && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file)
        std::fclose(file);
    if (!read)
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

// Zips `hosts` as the member "hosts" of a new archive in `work`.
std::string zipWithInfoZip(const std::string& zipProgram, const bench::HostsFile& hosts, const bench::TempFolder& work)
{
    const std::string folder = work.file("zip-" + std::to_string(std::hash<std::string>{}(hosts.path)));
    fs::create_directories(folder);
    fs::copy_file(hosts.path, folder + "/" + memberName, fs::copy_options::overwrite_existing);
    const std::string archive = folder + "/hosts.zip";
    bench::runProgram(zipProgram, {"-q", "-X", "-j", archive, folder + "/" + memberName});
    if (!fs::exists(archive))
        throw std::runtime_error(zipProgram + " did not write " + archive);
    return archive;
}

std::string ratioText(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

// Both unpackers on the zipped `hosts`, in turn, then the in-process measures.
void benchmarkFile(const bench::HostsFile& hosts, std::size_t runs, const std::string& zipProgram,
                   const std::string& unzipProgram, const bench::TempFolder& work)
{
    const std::string archive = zipWithInfoZip(zipProgram, hosts, work);
    std::fprintf(stderr, "  %s: %ju bytes zipped to %ju, %zu runs each\n", hosts.label.c_str(),
                 static_cast<std::uintmax_t>(fs::file_size(hosts.path)),
                 static_cast<std::uintmax_t>(fs::file_size(archive)), runs);
    if (vendrel::ZipArchive::fromFile(archive).extract(0) != fileBytes(hosts.path))
        throw std::runtime_error("the unpacker did not give back " + hosts.path);

    const std::string self = bench::selfExecutable();
    std::vector<double> ours;
    std::vector<double> theirs;
    for (std::size_t run = 0; run < runs; ++run) {
        ours.push_back(secondsToDevNull(self, {"--unpack-only", archive, memberName}));
        theirs.push_back(secondsToDevNull(unzipProgram, {"-p", archive, memberName}));
    }
    const double ratio = bench::median(ours) / bench::median(theirs);
    bench::printRow("unpack, ours (fresh process)", hosts.label, bench::milliseconds(bench::median(ours)),
                    bench::secondsRange(ours), "-", "");
    bench::printRow("unzip -p > /dev/null", hosts.label, bench::milliseconds(bench::median(theirs)),
                    bench::secondsRange(theirs), "-", "");
    bench::printRow("  ours/unzip time", hosts.label, ratioText(ratio), "", "<= 1.50x",
                    bench::verdict(ratio <= ratioGoal));

    const std::vector<double> inProcess = bench::timeRuns(runs, [&] {
        const auto opened = vendrel::ZipArchive::fromFile(archive);
        opened.extract(vendrel::selectedMembers(opened.members(), memberName).front());
    });
    bench::printRow("ZipArchive open + extract", hosts.label, bench::milliseconds(bench::median(inProcess)),
                    bench::secondsRange(inProcess), "-", "");
    const std::string target = work.file("extracted");
    fs::create_directories(target);
    const std::vector<double> toFolder = bench::timeRuns(runs,
                                                         [&] { vendrel::extractMembers(archive, memberName, target); });
    bench::printRow("extractMembers (write + fsync)", hosts.label, bench::milliseconds(bench::median(toFolder)),
                    bench::secondsRange(toFolder), "-", "");
}

int unpackOnly(const std::string& archivePath, const std::string& member)
{
    const auto archive = vendrel::ZipArchive::fromFile(archivePath);
    const std::vector<std::size_t> selected = vendrel::selectedMembers(archive.members(), member);
    if (selected.empty())
        return 3;
    const std::string bytes = archive.extract(selected.front());
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
}

int runBenchmarks(int argc, char** argv)
{
    bench::Options options = bench::parseOptions(
        argc, argv, "bench-unzip [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]", 7);
    if (!options.linesGiven)
        options.lines = defaultLines;
    const std::string zipProgram = bench::programOnPath("zip");
    const std::string unzipProgram = bench::programOnPath("unzip");
    if (zipProgram.empty() || unzipProgram.empty())
        throw std::runtime_error("cannot find Info-ZIP zip and unzip on PATH");

    bench::TempFolder work;
    const bench::HostsFiles chosen = bench::chooseHostsFiles(options, work);
    std::fprintf(stderr, "bench-unzip: %zu runs each, unzip is %s\n", options.runs, unzipProgram.c_str());
    bench::printHeader();
    for (const bench::HostsFile& hosts : chosen.files)
        benchmarkFile(hosts, options.runs, zipProgram, unzipProgram, work);
    bench::reportMissingRealFile(chosen, "unpack, ours and unzip -p");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::string(argv[1]) == "--unpack-only")
            return unpackOnly(argv[2], argv[3]);
        return runBenchmarks(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-unzip: %s\n", error.what());
        return 1;
    }
}

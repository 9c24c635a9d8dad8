#pragma once

// Helpers shared by the benchmark programs: a deterministic hosts-file
// generator, the command line they all accept and the files they measure,
// timing and medians, temporary folders, and child processes whose peak
// memory is read back with wait4().
//
// A child's peak resident size (ru_maxrss) also counts the parent's peak at
// the moment of exec, so a process that spawns measured children must stay
// small until they have run: the generator therefore streams to the file and
// never holds the whole text.

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// Where the real hosts files live on the development machines; may be absent.
inline constexpr const char* realHostsFolder = "/work/shared/data/hosts/large";
inline constexpr const char* largestRealHostsName = "stevenblack-fork_blokada-version_hosts";

inline std::string defaultRealHostsPath()
{
    if (const char* chosen = std::getenv("VENDREL_BENCH_REAL_HOSTS"); chosen && *chosen)
        return chosen;
    return std::string(realHostsFolder) + "/" + largestRealHostsName;
}

// splitmix64: tiny, fast, and the same sequence on every platform and library
// (unlike the standard distributions).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform enough for test data: 0 <= result < bound.
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }
    bool percent(std::uint32_t chance) { return below(100) < chance; }

private:
    std::uint64_t state_;
};

// Produces a hosts file line by line, the way block lists look in the wild:
// a header with the localhost entries, then mostly blocking entries
// ("0.0.0.0 name" and "127.0.0.1<TAB>name"), section comments, commented-out
// entries, blank lines, trailing remarks, indented lines, and a mix of
// LF and CR LF line ends. About 30 bytes a line on average.
class HostsTextGenerator {
public:
    HostsTextGenerator(std::size_t lines, std::uint64_t seed) : lines_(lines), random_(seed) {}

    bool done() const { return produced_ >= lines_; }
    std::size_t produced() const { return produced_; }

    // Appends the next line with its line end.
    void appendLine(std::string& out)
    {
        static constexpr std::array<std::string_view, 9> header = {
            "# Hosts file generated for the Vendrel benchmarks",
            "#",
            "# Blocks advertising and tracking servers.",
            "",
            "127.0.0.1 localhost",
            "::1 localhost",
            "255.255.255.255\tbroadcasthost",
            "",
            "# [Start of entries]",
        };
        if (produced_ < header.size())
            out += header[produced_];
        else
            appendBodyLine(out);
        appendLineEnd(out);
        ++produced_;
    }

private:
    void appendLineEnd(std::string& out)
    {
        // Long stretches of one style, as when lists from several sources are
        // concatenated, with a few odd lines in between.
        if (random_.below(2000) == 0)
            crlfStretch_ = !crlfStretch_;
        const bool crlf = random_.below(50) == 0 ? !crlfStretch_ : crlfStretch_;
        out += crlf ? "\r\n" : "\n";
    }

    void appendName(std::string& out)
    {
        static constexpr std::array<std::string_view, 20> prefixes = {
            "ad",    "ads", "track", "stat", "pix",  "cdn",   "img",  "log",  "met",  "beacon",
            "click", "srv", "api",   "tag",  "view", "count", "data", "sync", "push", "m"};
        static constexpr std::array<std::string_view, 12> words = {"tracker",   "adserve",  "metrics",   "analytic",
                                                                   "banner",    "promo",    "telemetry", "example",
                                                                   "clickbank", "popunder", "adnet",     "advert"};
        static constexpr std::array<std::string_view, 10> domains = {"com", "net", "org", "io",    "info",
                                                                     "biz", "de",  "ru",  "co.uk", "xyz"};
        static constexpr std::array<std::string_view, 8> hosts = {"eu.",  "us.",     "www.",    "api.",
                                                                  "cdn.", "static.", "secure.", "srv."};
        const auto pick = [this](const auto& list) {
            return list[random_.below(static_cast<std::uint32_t>(list.size()))];
        };
        if (random_.percent(70))
            out += pick(hosts);
        switch (random_.below(4)) {
        case 0:
            out += pick(prefixes);
            out += std::to_string(random_.below(1000));
            out += '.';
            out += pick(words);
            break;
        case 1:
            out += pick(words);
            out += std::to_string(random_.below(100));
            break;
        case 2:
            out += pick(prefixes);
            out += '.';
            out += pick(words);
            out += std::to_string(random_.below(10));
            break;
        default:
            out += pick(prefixes);
            out += '-';
            out += pick(prefixes);
            out += '.';
            out += pick(words);
            break;
        }
        out += '.';
        out += pick(domains);
    }

    void appendBlockingEntry(std::string& out)
    {
        if (random_.percent(80)) {
            out += "0.0.0.0";
            out += random_.percent(85) ? " " : "\t";
        } else {
            out += "127.0.0.1";
            out += random_.percent(50) ? "\t" : " ";
        }
        appendName(out);
    }

    void appendBodyLine(std::string& out)
    {
        static constexpr std::array<std::string_view, 6> remarks = {"# ads",     "# tracking", "# added by hand",
                                                                    "# malware", "#telemetry", "# see list"};
        static constexpr std::array<std::string_view, 6> comments = {
            "# [Section: advertising]", "# Tracking and analytics", "#",
            "# ---- merged list ----",  "# Updated weekly",         "# Mobile ad networks"};
        static constexpr std::array<std::string_view, 4> indents = {" ", "  ", "\t", " \t "};
        const std::uint32_t kind = random_.below(100);
        if (kind < 76) {
            appendBlockingEntry(out);
        } else if (kind < 81) {
            appendBlockingEntry(out);
            out += random_.percent(70) ? " " : "\t";
            out += remarks[random_.below(remarks.size())];
        } else if (kind < 85) {
            out += indents[random_.below(indents.size())];
            appendBlockingEntry(out);
        } else if (kind < 89) {
            out += comments[random_.below(comments.size())];
        } else if (kind < 93) {
            out += random_.percent(50) ? "#" : "# ";
            appendBlockingEntry(out);
        } else if (kind < 97) {
            if (random_.percent(20))
                out += indents[random_.below(indents.size())];
        } else {
            appendBlockingEntry(out);
            out += ' '; // trailing blank
        }
    }

    std::size_t lines_;
    std::size_t produced_ = 0;
    Random random_;
    bool crlfStretch_ = false;
};

// Writes a generated hosts file of exactly `lines` lines, in chunks so that
// the caller's memory stays small. Throws std::runtime_error on failure.
inline void writeGeneratedHosts(const std::string& path, std::size_t lines, std::uint64_t seed)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    HostsTextGenerator generator(lines, seed);
    std::string chunk;
    chunk.reserve(1 << 20);
    bool ok = true;
    while (ok && !generator.done()) {
        chunk.clear();
        while (!generator.done() && chunk.size() < (1u << 20) - 256)
            generator.appendLine(chunk);
        ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        throw std::runtime_error("cannot write " + path);
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double minimum(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

inline double maximum(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Wall-clock seconds of each of `runs` calls of step().
template <typename Step>
std::vector<double> timeRuns(std::size_t runs, Step&& step)
{
    std::vector<double> times;
    for (std::size_t run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        step();
        times.push_back(secondsSince(start));
    }
    return times;
}

// A fresh folder under the system's temporary directory, removed with the object.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vendrel-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct ChildResult {
    int exitCode = -1;   // -1 when the child did not exit normally
    long peakRssKiB = 0; // ru_maxrss of the child, in KiB on Linux
    double seconds = 0;  // wall-clock time from fork() until the child was reaped
    std::string output;  // what the child wrote to standard output
};

inline std::string selfExecutable()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::runtime_error("cannot find the benchmark's own executable");
    return path.string();
}

// This process's environment with each "NAME=value" of `changes` set,
// replacing the variable of that name where it exists.
inline std::vector<std::string> environmentWith(const std::vector<std::string>& changes)
{
    const auto nameOf = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> result;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view name = nameOf(*entry);
        if (std::none_of(changes.begin(), changes.end(),
                         [&](const std::string& change) { return nameOf(change) == name; }))
            result.emplace_back(*entry);
    }
    result.insert(result.end(), changes.begin(), changes.end());
    return result;
}

// The full path of `name` in one of the folders of PATH, or an empty string.
inline std::string programOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string_view folders = path && *path ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        const std::string candidate = std::string(folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate))
            return candidate;
    }
    return {};
}

// Runs `program` with `arguments`, collects its standard output, its own peak
// resident size and its wall-clock time. Standard error is passed through,
// or goes to the file `standardErrorFile` when one is named. The child gets
// this process's environment, with the "NAME=value" entries of
// `environmentChanges` set.
inline ChildResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const std::vector<std::string>& environmentChanges = {},
                              const std::string& standardErrorFile = {})
{
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // Built before fork(), so that the child only has to exec.
    std::vector<std::string> environment = environmentWith(environmentChanges);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("cannot create a pipe");
    std::fflush(nullptr);
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("cannot start a child process");
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        if (!standardErrorFile.empty()) {
            const int errorFd = ::open(standardErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (errorFd < 0 || ::dup2(errorFd, STDERR_FILENO) < 0)
                ::_exit(127);
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    ChildResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    struct rusage usage {};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("cannot wait for a child process");
    }
    result.seconds = secondsSince(start);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakRssKiB = usage.ru_maxrss;
    return result;
}

// Runs this same program with `arguments`, as runProgram() does.
inline ChildResult runSelf(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environmentChanges = {})
{
    return runProgram(selfExecutable(), arguments, environmentChanges);
}

// The value of "key=value" in a child's output, or an empty string.
inline std::string outputValue(const std::string& output, const std::string& key)
{
    const std::string wanted = key + "=";
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string_view line(output.data() + start, end - start);
        if (line.starts_with(wanted))
            return std::string(line.substr(wanted.size()));
        start = end + 1;
    }
    return {};
}

inline long ownPeakRssKiB()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline std::string fileLabel(const std::string& path) { return std::filesystem::path(path).filename().string(); }

inline std::size_t parseCount(const char* text, const char* what)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0')
        throw std::runtime_error(std::string("not a number for ") + what + ": " + text);
    return static_cast<std::size_t>(value);
}

// One line of the results table the benchmark programs print:
// "| measure | file | median | range | goal | verdict |".
inline void printRow(const std::string& measure, const std::string& file, const std::string& median,
                     const std::string& range, const std::string& goal, const std::string& verdict)
{
    std::printf("| %-44s | %-40s | %12s | %-23s | %-12s | %-4s |\n", measure.c_str(), file.c_str(), median.c_str(),
                range.c_str(), goal.c_str(), verdict.c_str());
    std::fflush(stdout);
}

inline void printHeader()
{
    printRow("measure", "file", "median", "min .. max", "goal", "ok?");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(42, '-').c_str(),
                std::string(14, '-').c_str(), std::string(25, '-').c_str(), std::string(14, '-').c_str(),
                std::string(6, '-').c_str());
    std::fflush(stdout);
}

inline std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", value);
    return text;
}

inline std::string milliseconds(double valueSeconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", valueSeconds * 1000);
    return text;
}

inline std::string secondsRange(const std::vector<double>& times)
{
    return seconds(minimum(times)) + " .. " + seconds(maximum(times));
}

// A quotient such as "0.38x".
inline std::string times(double quotient)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", quotient);
    return text;
}

// Two medians side by side, "0.456 s vs 1.203 s", for the row of their quotient.
inline std::string secondsVersus(double ours, double theirs) { return seconds(ours) + " vs " + seconds(theirs); }

// The last column of a row with a goal.
inline std::string verdict(bool met) { return met ? "yes" : "NO"; }

// Decimal megabytes (10^6 bytes), the unit the memory goals are given in.
inline double megabytesFromKiB(double kib) { return kib * 1024 / 1e6; }

inline std::string megabytes(double kib)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", megabytesFromKiB(kib));
    return text;
}

// The command line every benchmark program accepts:
//   [--runs N] [--lines N] [--generated FILE] [--real FILE | --no-real]
// With --generated the file is used as it is (and --lines, when given, is the
// number of rows it must give); otherwise one of --lines lines is generated.
struct Options {
    std::size_t runs = 0;
    std::size_t lines = 1'000'000;
    bool linesGiven = false;
    std::string generatedFile;
    std::string realFile = defaultRealHostsPath();
    bool useRealFile = true;
};

// A program's own options: returns whether it took `argument`; value()
// fetches the argument that follows it.
using ExtraOption = std::function<bool(const std::string& argument, const std::function<const char*()>& value)>;

// `usage` is the program's synopsis, shown when an argument is not understood.
inline Options parseOptions(int argc, char** argv, const std::string& usage, std::size_t defaultRuns,
                            const ExtraOption& extra = {})
{
    Options options;
    options.runs = defaultRuns;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::function<const char*()> value = [&]() -> const char* {
            if (i + 1 >= argc)
                throw std::runtime_error(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--runs") {
            options.runs = parseCount(value(), "--runs");
        } else if (argument == "--lines") {
            options.lines = parseCount(value(), "--lines");
            options.linesGiven = true;
        } else if (argument == "--generated") {
            options.generatedFile = value();
        } else if (argument == "--real") {
            options.realFile = value();
        } else if (argument == "--no-real") {
            options.useRealFile = false;
        } else if (!extra || !extra(argument, value)) {
            throw std::runtime_error("unknown argument " + argument + " (usage: " + usage + ")");
        }
    }
    if (options.runs == 0)
        throw std::runtime_error("--runs must be at least 1");
    return options;
}

// A hosts file under test.
struct HostsFile {
    std::string path;
    std::string label;            // its name in the results table
    std::size_t expectedRows = 0; // 0: not known in advance
};

struct HostsFiles {
    std::vector<HostsFile> files; // the generated file, then the real one
    std::string missingRealFile;  // the real file asked for, when it does not exist
};

// The generated file (written into `work` unless --generated names one) and
// the real file when it exists.
inline HostsFiles chooseHostsFiles(const Options& options, const TempFolder& work)
{
    HostsFiles chosen;
    HostsFile generated;
    if (options.generatedFile.empty()) {
        generated.path = work.file("generated-hosts");
        std::fprintf(stderr, "generating %zu lines into %s\n", options.lines, generated.path.c_str());
        writeGeneratedHosts(generated.path, options.lines, 1);
        generated.label = "generated, " + std::to_string(options.lines) + " lines";
        generated.expectedRows = options.lines == 0 ? 1 : options.lines;
    } else {
        // A file made by generate-hosts: its line count is known when given.
        generated.path = options.generatedFile;
        generated.label = fileLabel(generated.path);
        if (options.linesGiven)
            generated.expectedRows = options.lines == 0 ? 1 : options.lines;
    }
    chosen.files.push_back(generated);

    if (options.useRealFile) {
        if (std::filesystem::is_regular_file(options.realFile))
            chosen.files.push_back({options.realFile, fileLabel(options.realFile), 0});
        else
            chosen.missingRealFile = options.realFile;
    }
    return chosen;
}

// Stands in for the rows of a real file that does not exist: one row saying
// `skipped` for `measures`, and a message naming the file.
inline void reportMissingRealFile(const HostsFiles& chosen, const std::string& measures)
{
    if (chosen.missingRealFile.empty())
        return;
    printRow(measures, fileLabel(chosen.missingRealFile), "skipped", "file not found", "-", "");
    std::fprintf(stderr, "skipped the real hosts file: %s was not found\n", chosen.missingRealFile.c_str());
}

} // namespace bench

#pragma once

// vendrel-cli as a measured process, the way a script or a scheduled job runs
// it: start, load, command, atomic write, status line. Each run that changes
// the hosts file works on a fresh copy of it, with a data folder that is
// either missing (the tool then keeps no history) or fresh and empty (the
// tool then keeps one version, the first of its history). The copy and the
// folder are made before the clock starts.

#include "bench_support.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

// vendrel-cli beside this benchmark program, where the build puts both.
inline std::string cliBesideSelf()
{
    return (std::filesystem::path(selfExecutable()).parent_path() / "vendrel-cli").string();
}

// A fresh, writable copy of `source` at `copy`.
inline void freshCopy(const std::string& source, const std::string& copy)
{
    namespace fs = std::filesystem;
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

// Whether a command's run keeps a version of the hosts file: vendrel-cli
// keeps one before every change when its data folder exists.
enum class CliHistory { None, Kept };

inline std::string historyLabel(CliHistory history)
{
    return history == CliHistory::Kept ? "with history" : "no history";
}

struct CliRun {
    std::string program;              // vendrel-cli
    std::string source;               // the hosts file a fresh copy is made of
    std::vector<std::string> command; // the command and its arguments
    CliHistory history = CliHistory::None;
    std::vector<std::string> environment; // "NAME=value" changes for the process
};

struct CliResult {
    ChildResult child;
    std::string hostsCopy; // the copy the command worked on, as it left it
};

inline std::size_t versionsIn(const std::string& dataFolder)
{
    const std::filesystem::path folder = std::filesystem::path(dataFolder) / "history";
    if (!std::filesystem::is_directory(folder))
        return 0;
    const auto entries = std::filesystem::directory_iterator(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Runs `run.command` on a fresh copy of `run.source` in `work`. Throws when
// the tool fails, or when its history is not what `run.history` says.
inline CliResult runCliOnCopy(const CliRun& run, const TempFolder& work)
{
    const std::string copy = work.file("cli-hosts");
    const std::string dataFolder = work.file("cli-data");
    freshCopy(run.source, copy);
    std::filesystem::remove_all(dataFolder);
    if (run.history == CliHistory::Kept)
        std::filesystem::create_directories(dataFolder);
    std::vector<std::string> arguments{"--hosts", copy, "--data-dir", dataFolder};
    if (run.history == CliHistory::None)
        arguments.push_back("--no-history");
    arguments.insert(arguments.end(), run.command.begin(), run.command.end());
    CliResult result{runProgram(run.program, arguments, run.environment), copy};
    const std::string what = "vendrel-cli " + run.command.front() + " of a copy of " + run.source;
    if (result.child.exitCode != 0)
        throw std::runtime_error(what + " failed");
    const bool kept = versionsIn(dataFolder) > 0;
    if (kept != (run.history == CliHistory::Kept))
        throw std::runtime_error(
            what + (kept ? " kept a version without being asked to" : " kept no version in its data folder"));
    return result;
}

// The rows a status line such as "27 Lines - Idle" counts.
inline std::size_t rowsInStatus(const std::string& output)
{
    const std::size_t end = output.find(" Lines - Idle");
    if (end == std::string::npos)
        throw std::runtime_error("vendrel-cli printed no line count: " + output);
    const std::size_t newline = output.find_last_of('\n', end);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    return parseCount(output.substr(start, end - start).c_str(), "the line count");
}

} // namespace bench

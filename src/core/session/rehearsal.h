#pragma once

#include "core/hosts/hosts_file_guard.h"

#include <string>
#include <string_view>

namespace vendrel {

// What a command would write to the hosts file, found by running it up to
// its write: its name in the history, the file's bytes at that moment and
// the bytes that would replace them. `command` is empty when the command
// ended without writing.
struct RehearsedChange {
    std::string command;
    std::string before;
    std::string after;

    bool changesFile() const { return !command.empty(); }
};

// Thrown, instead of writing, by the write a rehearsal stops at. It is no
// std::exception, so that nothing that handles errors takes it for one.
struct WriteRehearsed {};

// Stands in for the history's witness of a write while a command is
// rehearsed: it records the write into `found` and stops it.
class RehearsalWitness final : public WriteWitness {
public:
    RehearsalWitness(RehearsedChange& found, std::string_view command) : found_(found), command_(command) {}

    void beforeWrite(std::string_view current, std::string_view next) override;
    void writeFailed() override {}

private:
    RehearsedChange& found_;
    std::string command_;
};

} // namespace vendrel

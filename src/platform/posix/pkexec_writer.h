#pragma once

#include "platform/posix/unique_fd.h"
#include "platform/privileged_writer.h"

#include <memory>
#include <string>
#include <vector>

namespace platform::posix {

// Runs the hosts-file helper through pkexec, whose polkit action keeps the
// administrator's authorisation for a few minutes: one password for a
// session of edits.
class PkexecHostsWriter final : public PrivilegedWriter {
public:
    PkexecHostsWriter(std::string pkexec, std::string helper) : pkexec_(std::move(pkexec)), helper_(std::move(helper))
    {
    }

    bool authorise() override;
    void write(std::string_view bytes) override;
    void repair() override;

private:
    // Runs the helper with `arguments` and `input` and returns the file it
    // passed back, if any; throws as write() does, with `failure` when the
    // helper gave no reason.
    UniqueFd runHelper(std::vector<std::string> arguments, std::string_view input, const char* failure);

    std::string pkexec_;
    std::string helper_;
};

// The writer when both pkexec and the helper are installed; none otherwise.
// The helper is looked for beside the program (a build tree) and in the
// libexec folder beside its bin folder.
std::unique_ptr<PkexecHostsWriter> findPkexecHostsWriter();

} // namespace platform::posix

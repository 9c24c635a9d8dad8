#pragma once

#include "platform/privileged_writer.h"

#include <string>

namespace testing_support {

// Stands in for the administrator's helper: it writes the hosts file at
// `path` even while it is read-only, when the user "authorised" it.
class FakePrivilegedWriter final : public platform::PrivilegedWriter {
public:
    explicit FakePrivilegedWriter(std::string path) : path_(std::move(path)) {}

    bool authorise() override
    {
        ++authorisations;
        return grantsAuthorisation;
    }
    void write(std::string_view bytes) override;
    void repair() override;

    bool grantsAuthorisation = true;
    int authorisations = 0;
    int writes = 0;
    int repairs = 0;

private:
    std::string path_;
};

} // namespace testing_support

#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <system_error>

namespace vendrel::cli {

// A stream buffer that writes to a C stream (stdout, stderr) and keeps why
// its first write failed, so that the program can say what went wrong.
class StdioOutput : public std::streambuf {
public:
    explicit StdioOutput(std::FILE* file) : file_(file) {}

    std::error_code failure() const { return failure_; }

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

private:
    void keepFailure();

    std::FILE* file_;
    std::error_code failure_;
};

// Flushes `stream` and tells why something written to it did not arrive:
// none when everything did.
std::error_code writeFailure(std::ostream& stream);

} // namespace vendrel::cli

#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

// The property checks shared by the fuzz targets and by the regression test
// that replays their findings in the ordinary build.
namespace fuzz_properties {

// What a property check reports: nothing when the property holds, otherwise
// how it failed.
using Violation = std::optional<std::string>;

// Bytes in a message: printable ASCII as it is, anything else as \xNN.
inline std::string shown(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0xF];
        }
    }
    return out + "\"";
}

// A fuzz target's verdict: a violated property aborts, which libFuzzer
// records as a crash with the input that caused it.
inline void abortOnViolation(const Violation& violation)
{
    if (!violation)
        return;
    std::fprintf(stderr, "property violated: %s\n", violation->c_str());
    std::abort();
}

} // namespace fuzz_properties

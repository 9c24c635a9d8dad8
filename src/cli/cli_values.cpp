// The values commands read from their arguments and write into their output.

#include "cli/cli_handlers.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace vendrel::cli {

std::string utcTime(std::int64_t seconds)
{
    using namespace std::chrono;
    const sys_seconds time{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(time - day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld:%02ld", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
                  static_cast<long>(clock.seconds().count()));
    return text;
}

int secondsArgument(const std::string& text)
{
    int seconds = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, seconds);
    if (failure != std::errc() || stop != end || seconds < 1)
        throw UsageError("--max-seconds needs a whole number of seconds, 1 or more");
    return seconds;
}

} // namespace vendrel::cli

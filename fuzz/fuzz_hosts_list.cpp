// libFuzzer target of the hosts list's save format: any bytes are loaded as a
// hosts file, saved as a list and read back (properties/hosts_list_round_trip.h).

#include "properties/hosts_list_round_trip.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_properties::abortOnViolation(
        fuzz_properties::hostsListRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}

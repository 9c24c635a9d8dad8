#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

inline constexpr std::string_view loopbackAddress = "127.0.0.1";
inline constexpr std::string_view nullRouteAddress = "0.0.0.0";

// The other of the two blocking addresses, or nothing when `address` is
// neither (empty, another address, or one with a "#" glued to it).
inline std::optional<std::string_view> otherBlockingAddress(std::string_view address)
{
    if (address == loopbackAddress)
        return nullRouteAddress;
    if (address == nullRouteAddress)
        return loopbackAddress;
    return std::nullopt;
}

inline bool isBlockingAddress(std::string_view address) { return otherBlockingAddress(address).has_value(); }

// The address sorted entries are written with: the redirect address when it
// is a blocking address, otherwise the loopback address, so that no entry is
// ever written without one.
inline std::string_view sortAddressFor(std::string_view redirectAddress)
{
    return isBlockingAddress(redirectAddress) ? redirectAddress : loopbackAddress;
}

// Why a command that needs a blocking address did nothing: the hosts file has
// no localhost line, or its last one (`redirectLine`) has another address.
inline std::string noBlockingAddressReason(std::string_view redirectLine)
{
    if (redirectLine.empty())
        return "No blocking address is set: the hosts file has no localhost line, so nothing was changed.";
    return "No blocking address is set: the last localhost line is '" + std::string(redirectLine) +
           "', whose address is neither 127.0.0.1 nor 0.0.0.0, so nothing was changed.";
}

} // namespace vendrel

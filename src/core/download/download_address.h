#pragma once

#include <string>
#include <string_view>

namespace vendrel {

// The address a download fetches, parsed by the system's own URL parser:
// "http://" or "https://" addresses as they are (in the parser's normal
// form), an address without a scheme as an http one, as the worker has
// always read it. Throws Error naming the address for any other scheme or
// for text that is no address.
std::string downloadAddress(std::string_view url);

// The text an address gets when none of its own is given: "http://" in front.
std::string withDefaultScheme(std::string_view url);

} // namespace vendrel

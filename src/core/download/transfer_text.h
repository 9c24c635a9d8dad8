#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The words both HTTP transfers (libcurl's and WinInet's) put into their
// messages, so that a failure reads the same on every system.
namespace vendrel::transfer_text {

// Server text put into a message: printable ASCII only, and not too long.
std::string printable(std::string_view text);

// What a status line says after the protocol version, "404 Not Found"; the
// code alone when the line gives no reason phrase or cannot be read.
std::string statusAnswer(std::string_view statusLine, long code);

// "256 MiB" or "1000 bytes".
std::string sizeText(std::uint64_t bytes);

// "1 second", "60 seconds".
std::string secondsText(int seconds);

} // namespace vendrel::transfer_text

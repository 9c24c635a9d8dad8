#include "platform/text_bytes.h"

#include <cstddef>
#include <cstring>

namespace platform {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence starting at `text[at]`, or 0 when none starts there.
std::size_t sequenceLength(const unsigned char* text, std::size_t at, std::size_t size)
{
    const unsigned char lead = text[at];
    std::size_t length = 0;
    unsigned char low = 0x80;  // bounds of the second byte, which rule out
    unsigned char high = 0xBF; // overlong forms, surrogates and > U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (size - at < length || text[at + 1] < low || text[at + 1] > high)
        return 0;
    for (std::size_t next = 2; next < length; ++next)
        if (!isContinuation(text[at + next]))
            return 0;
    return length;
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    while (at < size) {
        // Eight ASCII bytes at a time: hosts files are nearly all ASCII.
        if (size - at >= 8) {
            unsigned long long block = 0;
            std::memcpy(&block, text + at, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        if (text[at] < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = sequenceLength(text, at, size);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

} // namespace platform

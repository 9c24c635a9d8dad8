#include "platform/text_bytes.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace platform {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence starting at `text[at]`, or 0 when none starts there.
std::size_t sequenceLength(const unsigned char* text, std::size_t at, std::size_t size)
{
    const unsigned char lead = text[at];
    std::size_t length = 0;
    unsigned char low = 0x80; // bounds of the second byte, which rule out
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

namespace {

constexpr const char* eightBitCodePage = "windows-1252";

// An ICU converter of the 8-bit code page that stops at the first character
// it cannot map, rather than writing a substitute.
class EightBitConverter {
public:
    EightBitConverter()
    {
        UErrorCode status = U_ZERO_ERROR;
        converter_ = ucnv_open(eightBitCodePage, &status);
        if (U_SUCCESS(status))
            ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        if (U_FAILURE(status))
            throw std::runtime_error(std::string("Cannot open the Windows-1252 converter: ") + u_errorName(status));
    }
    ~EightBitConverter() { ucnv_close(converter_); }
    EightBitConverter(const EightBitConverter&) = delete;
    EightBitConverter& operator=(const EightBitConverter&) = delete;

    UConverter* get() const { return converter_; }

private:
    UConverter* converter_ = nullptr;
};

} // namespace

std::u16string decodeText(std::string_view bytes)
{
    const auto length = static_cast<int32_t>(bytes.size());
    const icu::UnicodeString text = isValidUtf8(bytes)
                                        ? icu::UnicodeString::fromUTF8(icu::StringPiece(bytes.data(), length))
                                        : icu::UnicodeString(bytes.data(), length, eightBitCodePage);
    return {reinterpret_cast<const char16_t*>(text.getBuffer()), static_cast<std::size_t>(text.length())};
}

std::optional<std::string> encodeEightBit(std::u16string_view text)
{
    const EightBitConverter converter;
    // One byte a character: the code page has no multi-byte sequences.
    std::string bytes(text.size(), '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = ucnv_fromUChars(converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                                            reinterpret_cast<const UChar*>(text.data()),
                                            static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(written));
    return bytes;
}

} // namespace platform

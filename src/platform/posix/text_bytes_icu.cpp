// Reading and writing the two encodings of text_bytes.h with ICU.
#include "platform/text_bytes.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <stdexcept>

namespace platform {
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

// Reading and writing the two encodings of text_bytes.h with the system's
// code page tables.
#include "platform/text_bytes.h"

#include <windows.h>

namespace platform {
namespace {

constexpr UINT eightBitCodePage = 1252;

std::u16string toUtf16(UINT codePage, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return {wide.begin(), wide.end()};
}

} // namespace

std::u16string decodeText(std::string_view bytes)
{
    return toUtf16(isValidUtf8(bytes) ? CP_UTF8 : eightBitCodePage, bytes);
}

std::optional<std::string> encodeEightBit(std::u16string_view text)
{
    if (text.empty())
        return std::string();
    const std::wstring wide(text.begin(), text.end());
    // One byte a character: the code page has no multi-byte sequences.
    std::string bytes(text.size(), '\0');
    BOOL substituted = FALSE;
    const int written = ::WideCharToMultiByte(eightBitCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                              static_cast<int>(wide.size()), bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, &substituted);
    if (written <= 0 || substituted)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(written));
    return bytes;
}

} // namespace platform

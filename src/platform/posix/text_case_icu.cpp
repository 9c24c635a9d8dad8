#include "platform/text_case.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace platform {
namespace {

bool isValidUtf8(std::string_view bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    int32_t offset = 0;
    while (offset < length) {
        UChar32 character = 0;
        U8_NEXT(data, offset, length, character);
        if (character < 0)
            return false;
    }
    return true;
}

} // namespace

std::string lowerCaseForLocale(std::string_view bytes)
{
    icu::UnicodeString text =
        isValidUtf8(bytes)
            ? icu::UnicodeString::fromUTF8(icu::StringPiece(bytes.data(), static_cast<int32_t>(bytes.size())))
            : icu::UnicodeString(bytes.data(), static_cast<int32_t>(bytes.size()), "windows-1252");
    text.toLower(icu::Locale::getDefault());
    std::string lowered;
    text.toUTF8String(lowered);
    return lowered;
}

} // namespace platform

#include "platform/text_case.h"

#include "platform/text_bytes.h"

#include <unicode/locid.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace platform {
namespace {

icu::UnicodeString decode(std::string_view bytes)
{
    const std::u16string text = decodeText(bytes);
    return icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()));
}

} // namespace

std::string lowerCaseForLocale(std::string_view bytes)
{
    icu::UnicodeString text = decode(bytes);
    text.toLower(icu::Locale::getDefault());
    std::string lowered;
    text.toUTF8String(lowered);
    return lowered;
}

bool equalIgnoringCase(std::string_view first, std::string_view second)
{
    if (isAscii(first) && isAscii(second))
        return equalIgnoringAsciiCase(first, second);
    return decode(first).foldCase() == decode(second).foldCase();
}

struct LocaleSortKeys::Collator {
    UCollator* collator = nullptr; // none in the POSIX locale: code-point order
    std::vector<UChar> folded;
    std::vector<uint8_t> key = std::vector<uint8_t>(512);
    std::string foldedUtf8;

    // Case-folded UTF-16 of the text, in `folded`; returns its length.
    int32_t fold(std::string_view text)
    {
        if (isAscii(text)) {
            folded.resize(std::max<std::size_t>(text.size(), 1));
            std::transform(text.begin(), text.end(), folded.begin(),
                           [](char c) { return static_cast<UChar>(asciiLower(c)); });
            return static_cast<int32_t>(text.size());
        }
        icu::UnicodeString unicode = decode(text);
        unicode.foldCase();
        folded.resize(static_cast<std::size_t>(std::max(unicode.length(), 1)));
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = unicode.extract(folded.data(), static_cast<int32_t>(folded.size()), status);
        return U_SUCCESS(status) ? length : 0;
    }

    // The POSIX locale orders by code point: the key is the case-folded text
    // in UTF-8 (whose byte order is code-point order), without NUL bytes.
    void appendCodePointKey(std::string_view text, std::string& keys)
    {
        if (isAscii(text)) {
            const std::size_t start = keys.size();
            keys.append(text);
            const auto first = keys.begin() + static_cast<std::ptrdiff_t>(start);
            std::transform(first, keys.end(), first, asciiLower);
            keys.erase(std::remove(first, keys.end(), '\0'), keys.end());
        } else {
            foldedUtf8.clear();
            decode(text).foldCase().toUTF8String(foldedUtf8);
            for (const char c : foldedUtf8)
                if (c != '\0')
                    keys += c;
        }
        keys += '\0';
    }

    void appendCollationKey(std::string_view text, std::string& keys)
    {
        const int32_t length = fold(text);
        int32_t needed = ucol_getSortKey(collator, folded.data(), length, key.data(), static_cast<int32_t>(key.size()));
        if (needed > static_cast<int32_t>(key.size())) {
            key.resize(static_cast<std::size_t>(needed));
            needed = ucol_getSortKey(collator, folded.data(), length, key.data(), needed);
        }
        // The key ends with its own NUL byte, which is kept as the separator.
        keys.append(reinterpret_cast<const char*>(key.data()), static_cast<std::size_t>(needed));
    }
};

namespace {

bool isPosixLocale(const char* locale) { return std::string_view(locale).starts_with("en_US_POSIX"); }

} // namespace

std::string sortLocaleName() { return uloc_getDefault(); }

LocaleSortKeys::LocaleSortKeys() : collator_(std::make_unique<Collator>())
{
    const char* locale = uloc_getDefault();
    if (isPosixLocale(locale))
        return;
    UErrorCode status = U_ZERO_ERROR;
    collator_->collator = ucol_open(locale, &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator_->collator = ucol_open("", &status);
    }
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("Cannot open the text collator: ") + u_errorName(status));
    // Case is folded before collating; accents still order after base letters.
    ucol_setStrength(collator_->collator, UCOL_SECONDARY);
}

LocaleSortKeys::~LocaleSortKeys()
{
    if (collator_->collator)
        ucol_close(collator_->collator);
}

void LocaleSortKeys::append(std::string_view text, std::string& keys)
{
    if (collator_->collator)
        collator_->appendCollationKey(text, keys);
    else
        collator_->appendCodePointKey(text, keys);
}

} // namespace platform

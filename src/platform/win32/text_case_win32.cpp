// Letter case and collation by the user's locale through the system's string
// services. Text in the 8-bit code page, ASCII included, goes to the ANSI
// calls (CharLowerBuffA, CompareStringA, LCMapStringA) as it is, the way the
// hosts-file tools have always compared it; UTF-8 text, which the ANSI calls
// cannot hold, goes to their wide forms.
#include "platform/text_case.h"

#include "platform/text_bytes.h"

#include <windows.h>

#include <vector>

namespace platform {
namespace {

bool ansiCallsHold(std::string_view bytes) { return isAscii(bytes) || !isValidUtf8(bytes); }

std::wstring wideOf(std::string_view bytes)
{
    const std::u16string text = decodeText(bytes);
    return {text.begin(), text.end()};
}

std::string utf8Of(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

} // namespace

std::string lowerCaseForLocale(std::string_view bytes)
{
    if (ansiCallsHold(bytes)) {
        std::string lowered(bytes);
        ::CharLowerBuffA(lowered.data(), static_cast<DWORD>(lowered.size()));
        return isAscii(lowered) ? lowered : utf8Of(wideOf(lowered));
    }
    std::wstring wide = wideOf(bytes);
    ::CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return utf8Of(wide);
}

bool equalIgnoringCase(std::string_view first, std::string_view second)
{
    if (ansiCallsHold(first) && ansiCallsHold(second))
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first.data(), static_cast<int>(first.size()),
                                second.data(), static_cast<int>(second.size())) == CSTR_EQUAL;
    const std::wstring a = wideOf(first);
    const std::wstring b = wideOf(second);
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

struct LocaleSortKeys::Collator {
    std::vector<char> key = std::vector<char>(512);

    // The sort key of the text in `key`; its length, with its closing NUL.
    int mapAnsi(std::string_view text)
    {
        const auto map = [&] {
            return ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text.data(),
                                  static_cast<int>(text.size()), key.data(), static_cast<int>(key.size()));
        };
        int length = map();
        if (length == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            key.resize(
                static_cast<std::size_t>(::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE,
                                                        text.data(), static_cast<int>(text.size()), nullptr, 0)));
            length = map();
        }
        return length;
    }

    // Wide sort keys are bytes too, whatever the type of their buffer.
    int mapWide(const std::wstring& text)
    {
        const auto map = [&](int room) {
            return ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text.data(),
                                  static_cast<int>(text.size()), room ? reinterpret_cast<LPWSTR>(key.data()) : nullptr,
                                  room);
        };
        int length = map(static_cast<int>(key.size()));
        if (length == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            key.resize(static_cast<std::size_t>(map(0)));
            length = map(static_cast<int>(key.size()));
        }
        return length;
    }
};

std::string sortLocaleName() { return std::to_string(::GetUserDefaultLCID()); }

LocaleSortKeys::LocaleSortKeys() : collator_(std::make_unique<Collator>()) {}

LocaleSortKeys::~LocaleSortKeys() = default;

void LocaleSortKeys::append(std::string_view text, std::string& keys)
{
    const int length = text.empty()          ? 0
                       : ansiCallsHold(text) ? collator_->mapAnsi(text)
                                             : collator_->mapWide(wideOf(text));
    // A key ends with its own NUL byte, which is kept as the separator.
    if (length > 0)
        keys.append(collator_->key.data(), static_cast<std::size_t>(length));
    else
        keys += '\0';
}

} // namespace platform

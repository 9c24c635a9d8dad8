#pragma once

#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include <string>

namespace testing_support {

// ICU's default locale set to `locale` for as long as the object lives, as
// the sort collates in it.
class UsingLocale {
public:
    explicit UsingLocale(const char* locale) : saved_(uloc_getDefault()) { set(locale); }
    ~UsingLocale() { set(saved_.c_str()); }
    UsingLocale(const UsingLocale&) = delete;
    UsingLocale& operator=(const UsingLocale&) = delete;

private:
    static void set(const char* locale)
    {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault(locale, &status);
        ASSERT_TRUE(U_SUCCESS(status)) << locale;
    }
    std::string saved_;
};

} // namespace testing_support

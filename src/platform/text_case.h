#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Lower-cases text by the rules of the user's locale. Bytes that are valid
// UTF-8 are read as UTF-8, anything else as the Western 8-bit code page; the
// result is UTF-8.
std::string lowerCaseForLocale(std::string_view bytes);

// Whether two texts are equal when letter case is ignored (read as above).
bool equalIgnoringCase(std::string_view first, std::string_view second);

// Sort keys that order text as the user's locale does, with letter case
// ignored in every locale: text is case-folded before it is collated. In the
// C and POSIX locales the order is that of code points. Comparing two keys
// byte by byte compares the texts.
// The name of the locale LocaleSortKeys collates by now: what a table derived
// from its keys can be kept under.
std::string sortLocaleName();

class LocaleSortKeys {
public:
    LocaleSortKeys();
    ~LocaleSortKeys();
    LocaleSortKeys(const LocaleSortKeys&) = delete;
    LocaleSortKeys& operator=(const LocaleSortKeys&) = delete;

    // Appends the key of `text` to `keys`, ended by a NUL byte.
    void append(std::string_view text, std::string& keys);

private:
    struct Collator;
    std::unique_ptr<Collator> collator_;
};

} // namespace platform

// Letter case and collation through the system's locale services, and the
// 8-bit code page through its conversion tables.

#include "platform/text_bytes.h"
#include "platform/text_case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace platform;

std::string keyOf(LocaleSortKeys& keys, std::string_view text)
{
    std::string key;
    keys.append(text, key);
    return key;
}

TEST(Win32Text, CaseIsIgnoredInComparisonsForAnsiAndUtf8Text)
{
    EXPECT_TRUE(equalIgnoringCase("LocalHost", "localhost"));
    EXPECT_FALSE(equalIgnoringCase("localhost", "localhost."));
    EXPECT_TRUE(equalIgnoringCase("\xC4rger.example", "\xE4rger.example")) << "Windows-1252 letters";
    EXPECT_TRUE(equalIgnoringCase("\xC3\x84rger.example", "\xE4rger.example")) << "UTF-8 against Windows-1252";
    EXPECT_EQ(lowerCaseForLocale("0.0.0.0 AdServer.EXAMPLE"), "0.0.0.0 adserver.example");
    EXPECT_EQ(lowerCaseForLocale("\xC4RGER"), "\xC3\xA4rger") << "8-bit text comes back as UTF-8";
    EXPECT_EQ(lowerCaseForLocale("\xC3\x84RGER"), "\xC3\xA4rger");
}

TEST(Win32Text, SortKeysOrderWithoutCaseAndMarkDuplicatesEqual)
{
    LocaleSortKeys keys;
    const std::vector<std::string> texts = {"b.example", "A.example", "a.example", "\xC3\xA4.example", "C.example", ""};
    std::vector<std::string> sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const std::string& a, const std::string& b) { return keyOf(keys, a) < keyOf(keys, b); });
    EXPECT_EQ(sorted,
              (std::vector<std::string>{"", "A.example", "a.example", "\xC3\xA4.example", "b.example", "C.example"}));
    EXPECT_EQ(keyOf(keys, "ADSERVER.example"), keyOf(keys, "adserver.EXAMPLE"));
    for (const std::string& text : texts) {
        const std::string key = keyOf(keys, text);
        EXPECT_EQ(key.find('\0'), key.size() - 1) << "one NUL, at the end: " << text;
    }
}

TEST(Win32Text, TheEightBitCodePageRoundTripsAndRefusesWhatItCannotHold)
{
    const std::string western = "caf\xE9 \x80 \x9F";
    const std::u16string text = decodeText(western);
    EXPECT_EQ(text, u"caf\u00E9 \u20AC \u0178");
    EXPECT_EQ(encodeEightBit(text), western);
    EXPECT_EQ(decodeText("caf\xC3\xA9"), u"caf\u00E9") << "valid UTF-8 is UTF-8";
    EXPECT_FALSE(encodeEightBit(u"\u4E2D")) << "no substitute character";
    EXPECT_FALSE(encodeEightBit(u"\u0100")) << "no best-fit letter either";
}

} // namespace

#include "core/bulk/ascii_sort_order.h"
#include "core/bulk/file_sort.h"
#include "core/hosts/text_file.h"
#include "platform/text_case.h"

#include "locale_scope.h"

#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include <cctype>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The locales the sort tests run in, and one more that collates by the
// locale's own rules.
const std::vector<const char*> weighedLocales = {"en_US_POSIX", "en_US", "de_DE"};

using testing_support::UsingLocale;

std::string keyOf(platform::LocaleSortKeys& collator, std::string_view text)
{
    std::string key;
    collator.append(text, key);
    return key;
}

int sign(int value) { return (value > 0) - (value < 0); }

int byWeights(const vendrel::AsciiSortOrder& order, std::string_view a, std::string_view b)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (order.weight(a[i]) != order.weight(b[i]))
            return order.weight(a[i]) < order.weight(b[i]) ? -1 : 1;
    return sign(static_cast<int>(a.size()) - static_cast<int>(b.size()));
}

std::string tableBytes()
{
    std::string bytes;
    for (int c = 0; c < 128; ++c)
        if (vendrel::isTabOrPrintableAscii(std::string(1, static_cast<char>(c))))
            bytes += static_cast<char>(c);
    return bytes;
}

TEST(AsciiSortOrder, EveryBytePairOrdersAsTheCollatorDoes)
{
    const std::string bytes = tableBytes();
    ASSERT_EQ(bytes.size(), 96u);
    for (const char* locale : weighedLocales) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(locale);
        const auto order = vendrel::AsciiSortOrder::ofCurrentLocale();
        ASSERT_TRUE(order.has_value());
        platform::LocaleSortKeys collator;
        for (const char a : bytes) {
            EXPECT_NE(order->weight(a), 0);
            for (const char b : bytes) {
                const std::string aKey = keyOf(collator, std::string(1, a));
                const int collated = sign(aKey.compare(keyOf(collator, std::string(1, b))));
                ASSERT_EQ(byWeights(*order, std::string(1, a), std::string(1, b)), collated)
                    << "bytes " << int(a) << " and " << int(b);
            }
        }
        EXPECT_EQ(order->weight('\x01'), 0);
        EXPECT_EQ(order->weight('\x7F'), 0);
        EXPECT_EQ(order->weight('\xC3'), 0);
        EXPECT_EQ(order->weight('A'), order->weight('a'));
    }
}

// The sort takes lines of equal weights for duplicates without comparing
// them, which holds where only the two cases of a letter share a weight.
TEST(AsciiSortOrder, OnlyTheTwoCasesOfALetterShareAWeight)
{
    const std::string bytes = tableBytes();
    for (const char* locale : weighedLocales) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(locale);
        const auto order = vendrel::AsciiSortOrder::ofCurrentLocale();
        ASSERT_TRUE(order.has_value());
        EXPECT_TRUE(order->tiesOnlyLetterCase());
        platform::LocaleSortKeys collator;
        for (const char a : bytes)
            for (const char b : bytes)
                if (order->weight(a) == order->weight(b)) {
                    ASSERT_EQ(std::tolower(a), std::tolower(b)) << "bytes " << int(a) << " and " << int(b);
                    ASSERT_EQ(keyOf(collator, std::string(1, a)), keyOf(collator, std::string(1, b)));
                }
    }
}

TEST(AsciiSortOrder, LongerTextsOrderAsTheCollatorDoes)
{
    const std::string bytes = tableBytes();
    std::mt19937 random(14);
    // Few letters, so that many texts share long beginnings.
    const std::string narrow = "aAb.-0\t 9_z";
    for (const char* locale : weighedLocales) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(locale);
        const auto order = vendrel::AsciiSortOrder::ofCurrentLocale();
        ASSERT_TRUE(order.has_value());
        platform::LocaleSortKeys collator;
        const auto text = [&](const std::string& from) {
            std::string result(1 + random() % 12, ' ');
            for (char& c : result)
                c = from[random() % from.size()];
            return result;
        };
        for (int i = 0; i < 20000; ++i) {
            const std::string& from = i % 2 ? bytes : narrow;
            const std::string a = text(from);
            const std::string b = text(from);
            ASSERT_EQ(byWeights(*order, a, b), sign(keyOf(collator, a).compare(keyOf(collator, b))))
                << "'" << a << "' and '" << b << "'";
        }
    }
}

// Czech sorts "ch" as one letter after "h" (so after "ci"): no byte table can say so.
TEST(AsciiSortOrder, LocaleWithContractionsHasNoTableAndSortsByItsCollator)
{
    const UsingLocale using_("cs_CZ");
    EXPECT_FALSE(vendrel::AsciiSortOrder::ofCurrentLocale().has_value());
    EXPECT_EQ(
        vendrel::sortHostsText(std::string("0.0.0.0 ci.example\n0.0.0.0 ch.example\n0.0.0.0 h.example\n"), "0.0.0.0"),
        "0.0.0.0\tlocalhost\r\n\r\n0.0.0.0\tci.example\r\n0.0.0.0\th.example\r\n0.0.0.0\tch.example\r\n");
}

// A text of ASCII lines sorts by the byte table; one line of other text sends
// the whole sort to the collator. Both must give the same lines.
TEST(AsciiSortOrder, SortByTheTableEqualsSortByTheCollator)
{
    std::mt19937 random(7);
    const std::vector<std::string> parts = {"ads", "Ads", "a-d", "a_d", "a.d", "ad9", "AD", "x", "0", "~z", "a d"};
    std::string text;
    for (int i = 0; i < 4000; ++i) {
        std::string host = parts[random() % parts.size()] + parts[random() % parts.size()];
        switch (random() % 5) {
        case 0:
            text += "0.0.0.0 " + host + "\n";
            break;
        case 1:
            text += "127.0.0.1\t" + host + " # note\n";
            break;
        case 2:
            text += "10.0.0." + std::to_string(random() % 10) + " " + host + "\r\n";
            break;
        case 3:
            text += host + "\n";
            break;
        default:
            text += " \t0.0.0.0  " + host + "  \r";
            break;
        }
    }
    const std::string other = "\xC3\xB1"
                              "and\xC3\xBA.lan";
    for (const char* locale : weighedLocales) {
        const UsingLocale using_(locale);
        SCOPED_TRACE(locale);
        const std::string byTable = vendrel::sortHostsText(std::string(text), "0.0.0.0");
        std::string byCollator = vendrel::sortHostsText(text + other + "\n", "0.0.0.0");
        const std::size_t at = byCollator.find(other + "\r\n");
        ASSERT_NE(at, std::string::npos);
        byCollator.erase(at, other.size() + 2);
        EXPECT_EQ(vendrel::splitLines(byTable), vendrel::splitLines(byCollator));
        EXPECT_EQ(vendrel::sortHostsText(std::string(byTable), "0.0.0.0"), byTable);
    }
}

} // namespace

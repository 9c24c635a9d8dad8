#include "core/bulk/ascii_sort_order.h"

#include "platform/text_bytes.h"
#include "platform/text_case.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vendrel {
namespace {

// TAB and the printable ASCII bytes: what blocking entries and the lines
// kept beside them are made of.
std::string tableBytes()
{
    std::string bytes;
    for (int c = 0; c < 128; ++c)
        if (isTabOrPrintableAscii(std::string(1, static_cast<char>(c))))
            bytes += static_cast<char>(c);
    return bytes;
}

struct Probe {
    std::string text;
    std::string key;
};

std::vector<Probe> keyed(std::vector<std::string> texts)
{
    platform::LocaleSortKeys collator;
    std::vector<Probe> probes;
    probes.reserve(texts.size());
    for (std::string& text : texts) {
        Probe probe{std::move(text), {}};
        collator.append(probe.text, probe.key);
        probes.push_back(std::move(probe));
    }
    std::sort(probes.begin(), probes.end(), [](const Probe& a, const Probe& b) { return a.key < b.key; });
    return probes;
}

bool sharedWeightsAreLetterCases(const AsciiSortOrder& order, const std::string& bytes)
{
    for (const char a : bytes)
        for (const char b : bytes)
            if ((order.weight(a) == order.weight(b)) != (platform::asciiLower(a) == platform::asciiLower(b)))
                return false;
    return true;
}

} // namespace

std::optional<AsciiSortOrder> AsciiSortOrder::ofCurrentLocale()
{
    static std::mutex mutex;
    static std::map<std::string, std::optional<AsciiSortOrder>> derived;
    const std::string locale = platform::sortLocaleName();
    const std::lock_guard guard(mutex);
    const auto known = derived.find(locale);
    if (known != derived.end())
        return known->second;
    return derived.emplace(locale, derivedFromCollator()).first->second;
}

std::optional<AsciiSortOrder> AsciiSortOrder::derivedFromCollator()
{
    const std::string bytes = tableBytes();
    std::vector<std::string> texts;
    for (const char c : bytes)
        texts.emplace_back(1, c);
    const std::vector<Probe> singles = keyed(texts);

    AsciiSortOrder order;
    std::uint8_t weight = 0;
    for (std::size_t i = 0; i < singles.size(); ++i) {
        if (i == 0 || singles[i].key != singles[i - 1].key)
            ++weight;
        order.weights_[static_cast<unsigned char>(singles[i].text[0])] = weight;
    }

    // Every text of one or two bytes: sorted by key, their weight sequences
    // must rise where the keys rise and be equal where the keys are.
    for (const char first : bytes)
        for (const char second : bytes)
            texts.push_back(std::string{first, second});
    const std::vector<Probe> probes = keyed(std::move(texts));
    const auto weights = [&order](const std::string& text) {
        std::vector<std::uint8_t> sequence;
        for (const char c : text)
            sequence.push_back(order.weight(c));
        return sequence;
    };
    for (std::size_t i = 1; i < probes.size(); ++i) {
        const bool sameKey = probes[i].key == probes[i - 1].key;
        const auto before = weights(probes[i - 1].text);
        const auto after = weights(probes[i].text);
        if (sameKey ? before != after : !(before < after))
            return std::nullopt;
    }
    order.tiesOnlyLetterCase_ = sharedWeightsAreLetterCases(order, bytes);
    return order;
}

} // namespace vendrel

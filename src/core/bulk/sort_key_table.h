#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The locale sort keys (case ignored) of a list of texts, computed on all
// processor cores: each core takes a contiguous share of the texts and keeps
// its keys in its own buffer.
class SortKeyTable {
public:
    struct Key {
        const char* bytes; // NUL-terminated, no NUL inside
        std::uint32_t length;
    };

    // `textOf(i, scratch)` gives text i, building it in `scratch` if it must;
    // it is called from several threads at once.
    using TextSource = std::function<std::string_view(std::size_t index, std::string& scratch)>;

    SortKeyTable(std::size_t count, const TextSource& textOf);

    Key key(std::size_t index) const;

private:
    struct Share {
        std::size_t first = 0;
        std::string keys;
        std::vector<std::uint64_t> offsets; // one per text, plus the end
    };
    std::vector<Share> shares_;
    std::size_t shareSize_ = 1;
};

} // namespace vendrel

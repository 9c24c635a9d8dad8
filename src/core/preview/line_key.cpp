#include "core/preview/line_key.h"

#include "core/bulk/blocking_address.h"
#include "core/text/ascii_text.h"

#include <cstring>

namespace vendrel {
namespace {

constexpr std::uint64_t secret0 = 0xa0761d6478bd642fULL;
constexpr std::uint64_t secret1 = 0xe7037ed1a0b428dbULL;
constexpr std::uint64_t secret2 = 0x8ebc6af09c88c6e3ULL;

// The 128-bit product of two words, folded to 64 bits.
std::uint64_t foldedProduct(std::uint64_t a, std::uint64_t b)
{
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

std::uint64_t read64(const char* p)
{
    std::uint64_t value;
    std::memcpy(&value, p, 8);
    return value;
}

std::uint64_t read32(const char* p)
{
    std::uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

// A fast multiply-and-fold hash of bytes, 16 at a time.
std::uint64_t bytesHash(std::string_view bytes, std::uint64_t seed)
{
    const char* p = bytes.data();
    const std::size_t size = bytes.size();
    seed ^= foldedProduct(seed ^ secret0, secret1);
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (size <= 16) {
        if (size >= 4) {
            const std::size_t step = (size >> 3) << 2;
            a = (read32(p) << 32) | read32(p + step);
            b = (read32(p + size - 4) << 32) | read32(p + size - 4 - step);
        } else if (size > 0) {
            const auto byte = [p](std::size_t i) {
                return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i]));
            };
            a = (byte(0) << 16) | (byte(size >> 1) << 8) | byte(size - 1);
        }
    } else {
        std::size_t left = size;
        for (; left > 16; left -= 16, p += 16)
            seed = foldedProduct(read64(p) ^ secret1, read64(p + 8) ^ seed);
        a = read64(p + left - 16);
        b = read64(p + left - 8);
    }
    return foldedProduct(secret0 ^ size, foldedProduct(a ^ secret1, b ^ seed) ^ secret2);
}

// Where the first word of `text` ends: at its first blank or control.
std::size_t wordEndOf(std::string_view text)
{
    std::size_t end = 0;
    while (end < text.size() && !isSpaceOrControl(text[end]))
        ++end;
    return end;
}

// Whether the text has no capital ASCII letter and no blank or control: most
// host names, which then need no copy. Branch-free, so that it runs wide.
bool isFolded(std::string_view text)
{
    bool unfolded = false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        unfolded |= (byte <= 32) | (static_cast<unsigned char>(byte - 'A') < 26);
    }
    return !unfolded;
}

// Appends the text with ASCII letters lower-cased and each run of blanks and
// controls made one blank; `text` has none at either end.
void appendFolded(std::string_view text, std::string& scratch)
{
    const std::size_t at = scratch.size();
    scratch.resize(at + text.size());
    char* out = scratch.data() + at;
    bool inSpace = false;
    for (const char c : text) {
        if (isSpaceOrControl(c)) {
            if (!inSpace)
                *out++ = ' ';
            inSpace = true;
            continue;
        }
        inSpace = false;
        *out++ = asciiLower(c);
    }
    scratch.resize(static_cast<std::size_t>(out - scratch.data()));
}

// The text with each run of blanks and controls made one blank, as a copy in
// `scratch` when it has any; `text` has none at either end.
std::string_view blanksCollapsed(std::string_view text, std::string& scratch)
{
    if (wordEndOf(text) == text.size())
        return text;
    scratch.clear();
    bool inSpace = false;
    for (const char c : text) {
        if (isSpaceOrControl(c) && inSpace)
            continue;
        inSpace = isSpaceOrControl(c);
        scratch += inSpace ? ' ' : c;
    }
    return scratch;
}

// The folded text: `text` itself when it is folded already, else a copy in `scratch`.
std::string_view folded(std::string_view text, std::string& scratch)
{
    if (isFolded(text))
        return text;
    scratch.clear();
    appendFolded(text, scratch);
    return scratch;
}

std::uint64_t tagged(LineKind kind, std::uint64_t hash)
{
    constexpr std::uint64_t hashBits = (std::uint64_t{1} << 61) - 2;
    return (static_cast<std::uint64_t>(kind) << 61) | (hash & hashBits);
}

} // namespace

std::uint64_t lineKey(std::string_view line, std::string& scratch)
{
    const std::string_view text = trimSpaceAndControls(line);
    if (text.empty())
        return tagged(LineKind::Blank, 0);
    if (text.front() == '#')
        return tagged(LineKind::Comment,
                      bytesHash(blanksCollapsed(text, scratch), static_cast<std::uint64_t>(LineKind::Comment)));
    const std::string_view content = trimSpaceAndControls(text.substr(0, text.find('#')));
    const std::size_t end = wordEndOf(content);
    const std::string_view address = content.substr(0, end);
    const std::string_view host = trimSpaceAndControls(content.substr(end));
    if (host.empty())
        return tagged(LineKind::Other,
                      bytesHash(folded(address, scratch), static_cast<std::uint64_t>(LineKind::Other)));
    if (address == nullRouteAddress || address == loopbackAddress) {
        const std::uint64_t key = bytesHash(folded(host, scratch), static_cast<std::uint64_t>(LineKind::BlockingEntry));
        return tagged(LineKind::BlockingEntry, key) | (address == loopbackAddress ? 1 : 0);
    }
    scratch.clear();
    appendFolded(address, scratch);
    scratch += ' ';
    appendFolded(host, scratch);
    return tagged(LineKind::OtherEntry, bytesHash(scratch, static_cast<std::uint64_t>(LineKind::OtherEntry)));
}

} // namespace vendrel

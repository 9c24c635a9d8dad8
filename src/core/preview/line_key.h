#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel {

// What a line of hosts text is, for comparing two texts line by line.
enum class LineKind : std::uint8_t {
    BlockingEntry, // an address of 0.0.0.0 or 127.0.0.1 and a host part
    OtherEntry,    // any other address and a host part
    Comment,       // the first character after leading blanks and controls is '#'
    Blank,         // nothing but blanks and controls
    Other,         // a single word (an address without a host), perhaps with a comment after it
};

// A 64-bit key of a line: two lines that compare equal have the same key.
// Entries compare by address and host part (the text after the address up to
// a '#'), with ASCII letters lower-cased and each run of blanks and controls
// read as one blank, so that a sort's reformatting leaves the key alone.
// Comments compare by their text without leading and trailing blanks and
// controls; all blank lines are equal; other lines compare by their word,
// lower-cased. The kind stands in the top three bits. A blocking entry's
// key holds its host part only, bit 0 telling the address (set for
// 127.0.0.1), so that the two keys of a host differ in that bit alone.
// `scratch` is reused between calls to avoid an allocation per line.
std::uint64_t lineKey(std::string_view line, std::string& scratch);

inline LineKind kindOfKey(std::uint64_t key) { return static_cast<LineKind>(key >> 61); }

// 1 for a blocking entry under 127.0.0.1, 0 for every other key.
inline unsigned addressBitOfKey(std::uint64_t key) { return static_cast<unsigned>(key & 1); }

// The keys of a host under either blocking address share their group.
inline std::uint64_t groupOfKey(std::uint64_t key) { return key >> 1; }

} // namespace vendrel

#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vendrel {

// Tells the lines a system's own name resolution relies on from the rest of
// a hosts file, so that no whole-file command drops or rewrites them. A
// system line is an entry (not a comment) whose address is
//   - an IPv6 loopback, link-local, site-local or multicast address ("::1",
//     "fe00::0", "fe80::1%lo0", "ff02::1"),
//   - an IPv4 loopback address other than the blocking entries' 127.0.0.1
//     ("127.0.1.1", "127.0.0.53"),
//   - 127.0.0.1 with "localhost" and more names ("localhost.localdomain"),
// or whose names include the machine's own name, fully or its first label.
class SystemLines {
public:
    // `machineName` empty: no line is the system's for naming the machine.
    // `resolvesLocalhostFromFile`: the system (Linux) takes localhost's IPv4
    // address from the hosts file, so "127.0.0.1 localhost" must stand in
    // front of a localhost header of the other blocking address.
    explicit SystemLines(std::string machineName = {}, bool resolvesLocalhostFromFile = false);

    bool resolvesLocalhostFromFile() const { return resolvesLocalhostFromFile_; }

    // A line of a hosts file, without its line break.
    bool isSystemLine(std::string_view line) const;
    // The two cells of a row of the hosts list.
    bool isSystemEntry(std::string_view address, std::string_view names) const;

private:
    bool namesTheMachine(std::string_view names) const;

    std::string machineName_;
    std::string shortName_;
    bool resolvesLocalhostFromFile_ = false;
};

// The loopback localhost line a header of another blocking address needs in front of it.
inline constexpr std::string_view loopbackLocalhostLine = "127.0.0.1\tlocalhost";

// Whether the entry maps "localhost" (among its names) to 127.0.0.1.
bool mapsLocalhostToLoopback(std::string_view address, std::string_view names);

// The system lines of a text in their order, each kept once: lines that
// differ only in blanks, TABs or the letter case of ASCII letters are one.
class SystemBlock {
public:
    // Adds `line` unless an equal one is held already; true when added.
    bool add(std::string_view line);
    bool holdsLike(std::string_view line) const;

    const std::vector<std::string>& lines() const { return lines_; }
    bool empty() const { return lines_.empty(); }

private:
    std::vector<std::string> lines_;
    std::unordered_set<std::string> keys_;
};

// The system lines of `text` in their order, each kept once.
SystemBlock systemLinesOf(std::string_view text, const SystemLines& rule);

// The lines a sort writes in front of its localhost header of `address`: the
// block, and where the system needs it and no line of the block gives it,
// the loopback localhost line.
std::vector<std::string> linesBeforeHeader(const SystemBlock& block, std::string_view address, const SystemLines& rule);

// Whether `address` is an IPv6 address: the redirect address is never read
// from one.
bool isIpv6Address(std::string_view address);

} // namespace vendrel

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// What a source's address serves; `Auto` tells a ZIP archive from a text
// list by its first bytes.
enum class ListFormat { Auto, Zip, Text };

// A block list that the update fetches: its name (what the user and the
// records call it), its address, whether the update takes it, what it
// serves and, for an archive, the member that holds the list.
struct ListSource {
    std::string name;
    std::string address;
    bool enabled = true;
    ListFormat format = ListFormat::Auto;
    std::string member; // empty: the archive's only file, or its "hosts" or "hosts.txt"

    bool operator==(const ListSource&) const = default;
};

inline constexpr const char* sourcesFileName = "sources.ini";

// The sources file in the data folder.
std::string sourcesPathIn(const std::string& dataFolder);

// The two published lists, the first sources of every sources file.
std::vector<ListSource> builtInSources();

// The sources the file at `path` lists, the built-in ones when it does not
// exist. The file has a section for each source:
//   [mvps]
//   address = http://www.mvps.org/winhelp2002/hosts.zip
//   enabled = yes
//   format = auto
//   member = HOSTS
// with comments (# or ;) and blank lines anywhere. A line that is none of
// these, an unknown key, a bad value, a name used twice, a bad address or a
// source without one is an Error naming the file and the line.
std::vector<ListSource> readSources(const std::string& path);

// Writes `sources` to `path` atomically, in the form readSources reads.
void writeSources(const std::string& path, const std::vector<ListSource>& sources);

// Whether one of `sources` has `name`, letter case aside.
bool hasSourceNamed(const std::vector<ListSource>& sources, std::string_view name);

// A source name: 1 to 64 letters, digits, '-', '_' and '.', not starting with '.'.
bool isSourceName(std::string_view name);

std::string_view formatName(ListFormat format);

} // namespace vendrel

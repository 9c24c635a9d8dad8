#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::cli {

// An option a command line may give, as it is written there and in the help.
struct CliOption {
    std::string name;      // with its dashes: "--url"
    std::string valueName; // what the help calls its value ("URL"); empty when it takes none
    std::string help;

    bool takesValue() const { return !valueName.empty(); }
};

// Every part of the command line accepts --help, also as -h.
extern const CliOption helpOption;

// The options a command line gave, each at most once, with their values ("" for one without a value).
class GivenOptions {
public:
    bool has(std::string_view name) const { return values_.find(name) != values_.end(); }
    std::optional<std::string> value(std::string_view name) const;
    // Wrong usage when `name` was given already.
    void add(const std::string& name, const std::string& value);

private:
    std::map<std::string, std::string, std::less<>> values_;
};

struct ParsedWords {
    GivenOptions options;
    std::vector<std::string> positionals;
    std::size_t wordsUsed = 0;
};

// How a part of the command line ends: the program's own options end at the
// first word that is no option (the command's name); a command's options and
// arguments may come in any order up to the end.
enum class WordsEnd { AtFirstPositional, AtLastWord };

// Parses `words` as getopt_long does: "--name=value" or "--name value", -h
// for --help, and "--" ends the options, so that every word after it is an
// argument. An unknown option, one given twice, a value missing or given to
// an option that takes none is wrong usage (UsageError).
ParsedWords parseWords(std::span<const std::string> words, const std::vector<CliOption>& declared, WordsEnd end);

} // namespace vendrel::cli

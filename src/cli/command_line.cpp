#include "cli/command_line.h"

#include "cli/cli_app.h"

#include <algorithm>

namespace vendrel::cli {
namespace {

const CliOption& declaredOption(const std::vector<CliOption>& declared, const std::string& name)
{
    const auto found = std::find_if(declared.begin(), declared.end(),
                                    [&name](const CliOption& option) { return option.name == name; });
    if (found == declared.end())
        throw UsageError("unknown option " + name);
    return *found;
}

bool isOption(const std::string& word) { return word.size() > 1 && word.front() == '-'; }

} // namespace

const CliOption helpOption{"--help", "", "show this text"};

std::optional<std::string> GivenOptions::value(std::string_view name) const
{
    const auto found = values_.find(name);
    return found == values_.end() ? std::nullopt : std::optional(found->second);
}

void GivenOptions::add(const std::string& name, const std::string& value)
{
    if (!values_.emplace(name, value).second)
        throw UsageError(name + " is given twice");
}

ParsedWords parseWords(std::span<const std::string> words, const std::vector<CliOption>& declared, WordsEnd end)
{
    ParsedWords parsed;
    std::size_t i = 0;
    for (; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (!isOption(word)) {
            if (end == WordsEnd::AtFirstPositional)
                break;
            parsed.positionals.push_back(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word == "-h" ? helpOption.name : word.substr(0, equals);
        const CliOption& option = declaredOption(declared, name);
        if (!option.takesValue() && equals != std::string::npos)
            throw UsageError(name + " takes no value");
        if (!option.takesValue())
            parsed.options.add(name, {});
        else if (equals != std::string::npos)
            parsed.options.add(name, word.substr(equals + 1));
        else if (i + 1 < words.size())
            parsed.options.add(name, words[++i]);
        else
            throw UsageError(name + " needs a value");
    }
    if (end == WordsEnd::AtLastWord) {
        parsed.positionals.insert(parsed.positionals.end(), words.begin() + static_cast<std::ptrdiff_t>(i),
                                  words.end());
        i = words.size();
    }
    parsed.wordsUsed = i;
    return parsed;
}

} // namespace vendrel::cli

#include "core/sources/block_list_sources.h"

#include "core/download/block_lists.h"
#include "core/download/download_address.h"
#include "core/error.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"
#include "platform/atomic_file.h"
#include "platform/platform.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace vendrel {
namespace {

ListSource builtIn(const BlockListSource& list) { return {list.name, list.url(), true, ListFormat::Zip, list.member}; }

// Reads one file of sources line by line, naming the line of every fault.
class SourcesReader {
public:
    explicit SourcesReader(std::string path) : path_(std::move(path)) {}

    std::vector<ListSource> read(std::string_view text)
    {
        forEachLine(withoutByteOrderMark(text), [this](std::string_view line) {
            ++lineNumber_;
            readLine(trimSpaceAndControls(line));
        });
        finishSource();
        return std::move(sources_);
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw Error("The sources file " + path_ + " is wrong in line " + std::to_string(lineNumber_) + ": " + what +
                    "; nothing was changed.");
    }

    void readLine(std::string_view line)
    {
        if (line.empty() || line.front() == '#' || line.front() == ';')
            return;
        if (line.front() == '[')
            return startSource(line);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            fail("it is neither a [name] nor a key = value");
        if (!current_)
            fail("a key comes before the first [name]");
        readKey(asciiLowerCopy(trimSpaceAndControls(line.substr(0, equals))),
                trimSpaceAndControls(line.substr(equals + 1)));
    }

    void startSource(std::string_view line)
    {
        finishSource();
        if (!line.ends_with(']'))
            fail("a section's name ends with ]");
        const std::string name(trimSpaceAndControls(line.substr(1, line.size() - 2)));
        if (!isSourceName(name))
            fail("\"" + name + "\" is no source name (letters, digits, '-', '_' and '.', up to 64)");
        if (hasSourceNamed(sources_, name))
            fail("the name " + name + " is given twice");
        current_ = ListSource{name, {}, true, ListFormat::Auto, {}};
        startLine_ = lineNumber_;
    }

    void readKey(const std::string& key, std::string_view value)
    {
        if (key == "address")
            current_->address = checkedAddress(value);
        else if (key == "enabled")
            current_->enabled = yesOrNo(value);
        else if (key == "format")
            current_->format = formatOf(value);
        else if (key == "member")
            current_->member = value;
        else
            fail("there is no key " + key + " (address, enabled, format, member)");
    }

    std::string checkedAddress(std::string_view value) const
    {
        try {
            return downloadAddress(std::string(value));
        } catch (const Error& error) {
            fail(error.what());
        }
    }

    bool yesOrNo(std::string_view value) const
    {
        const std::string word = asciiLowerCopy(value);
        if (word == "yes" || word == "true" || word == "1")
            return true;
        if (word == "no" || word == "false" || word == "0")
            return false;
        fail("enabled is yes or no, not " + std::string(value));
    }

    ListFormat formatOf(std::string_view value) const
    {
        for (const ListFormat format : {ListFormat::Auto, ListFormat::Zip, ListFormat::Text})
            if (asciiLowerCopy(value) == formatName(format))
                return format;
        fail("format is auto, zip or text, not " + std::string(value));
    }

    void finishSource()
    {
        if (!current_)
            return;
        if (current_->address.empty()) {
            lineNumber_ = startLine_;
            fail("the source " + current_->name + " has no address");
        }
        sources_.push_back(std::move(*current_));
        current_.reset();
    }

    std::string path_;
    std::size_t lineNumber_ = 0;
    std::size_t startLine_ = 0;
    std::optional<ListSource> current_;
    std::vector<ListSource> sources_;
};

} // namespace

std::string sourcesPathIn(const std::string& dataFolder) { return platform::joinPath(dataFolder, sourcesFileName); }

std::vector<ListSource> builtInSources() { return {builtIn(mvpsHostsList), builtIn(hpHostsList)}; }

bool hasSourceNamed(const std::vector<ListSource>& sources, std::string_view name)
{
    return std::ranges::any_of(
        sources, [&name](const ListSource& source) { return asciiLowerCopy(source.name) == asciiLowerCopy(name); });
}

bool isSourceName(std::string_view name)
{
    if (name.empty() || name.size() > 64 || name.front() == '.')
        return false;
    return std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.';
    });
}

std::string_view formatName(ListFormat format)
{
    switch (format) {
    case ListFormat::Zip:
        return "zip";
    case ListFormat::Text:
        return "text";
    case ListFormat::Auto:
        break;
    }
    return "auto";
}

std::vector<ListSource> readSources(const std::string& path)
{
    std::error_code noFile;
    if (!std::filesystem::exists(path, noFile))
        return builtInSources();
    return SourcesReader(path).read(readTextFile(path));
}

void writeSources(const std::string& path, const std::vector<ListSource>& sources)
{
    std::string text = "# The block lists that vendrel-cli update and the editor's Update All Sources fetch.\n";
    for (const ListSource& source : sources) {
        text += "\n[" + source.name + "]\naddress = " + source.address +
                "\nenabled = " + (source.enabled ? "yes" : "no") +
                "\nformat = " + std::string(formatName(source.format)) + "\n";
        if (!source.member.empty())
            text += "member = " + source.member + "\n";
    }
    platform::writeFileAtomically(path, text);
}

} // namespace vendrel

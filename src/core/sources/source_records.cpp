#include "core/sources/source_records.h"

#include "core/download/blocking_list_filter.h"
#include "core/error.h"
#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/platform.h"
#include "platform/sha256.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <functional>

namespace vendrel {
namespace {

constexpr std::size_t maximumRecordSize = 64 * 1024;
constexpr std::string_view recordHeader = "vendrel source record 2\n";
constexpr std::string_view appliedHeader = "vendrel applied record 2\n";

std::string namesFile(const std::string& source) { return "source." + source + ".names"; }
std::string recordFile(const std::string& source) { return "source." + source + ".record"; }
constexpr const char* appliedFile = "applied.names";
constexpr const char* ownFile = "own.names";
constexpr const char* appliedStateFile = "applied.record";

// A value as a record keeps it: one line of printable ASCII.
bool isRecordValue(std::string_view value)
{
    return value.size() <= 4096 && std::ranges::all_of(value, [](char c) { return c >= ' ' && c <= '~'; });
}

void appendField(std::string& text, std::string_view key, const std::string& value)
{
    if (!isRecordValue(value))
        throw Error("A source's record cannot hold the value \"" + value.substr(0, 80) + "\".");
    text.append(key).append(1, '=').append(value).append(1, '\n');
}

template <typename Number>
bool readNumber(std::string_view text, Number& number)
{
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
    return failure == std::errc() && end == text.data() + text.size();
}

bool isDigestOrEmpty(std::string_view value) { return value.empty() || platform::isSha256Hex(value); }

// Calls `field(key, value)` for each line of a record's body; false when a
// line is no "key=value" of printable ASCII or `field` refuses it.
bool readFields(std::string_view body, const std::function<bool(std::string_view, std::string_view)>& field)
{
    bool sound = true;
    forEachLine(body, [&](std::string_view line) {
        const std::size_t equals = line.find('=');
        sound = sound && equals != std::string_view::npos && isRecordValue(line) &&
                field(line.substr(0, equals), line.substr(equals + 1));
    });
    return sound;
}

bool readRecordField(SourceRecord& record, std::string_view key, std::string_view value)
{
    if (key == "address")
        record.address = value;
    else if (key == "etag")
        record.etag = value;
    else if (key == "last-modified")
        record.lastModified = value;
    else if (key == "sha256" && isDigestOrEmpty(value))
        record.sha256 = value;
    else if (key == "names-sha256" && isDigestOrEmpty(value))
        record.namesSha256 = value;
    else if (key == "result")
        record.result = value;
    else if (key == "time")
        return readNumber(value, record.time);
    else if (key == "entries")
        return readNumber(value, record.entries);
    else
        return false;
    return true;
}

bool readAppliedField(AppliedState& state, std::string_view key, std::string_view value)
{
    if (key == "applied-sha256" && platform::isSha256Hex(value))
        state.appliedSha256 = value;
    else if (key == "own-sha256" && platform::isSha256Hex(value))
        state.ownSha256 = value;
    else if (key == "source" || key == "whitelist")
        state.configuration.append(key).append(1, '=').append(value).append(1, '\n');
    else
        return false;
    return true;
}

// A names list as writeList writes it: DNS names in lower case, sorted,
// each once, each line ended by LF.
std::optional<NameList> parseNames(std::string_view text)
{
    if ((!text.empty() && !text.ends_with('\n')) || text.find('\r') != std::string_view::npos)
        return std::nullopt;
    NameList names;
    bool sound = true;
    forEachLine(text, [&](std::string_view name) {
        sound = sound && isDnsName(name) && !name.ends_with('.') &&
                std::ranges::none_of(name, [](char c) { return c >= 'A' && c <= 'Z'; }) &&
                (names.empty() || names.back() < name);
        if (sound)
            names.emplace_back(name);
    });
    if (!sound)
        return std::nullopt;
    return names;
}

bool exists(const std::string& path)
{
    std::error_code missing;
    return std::filesystem::exists(path, missing);
}

} // namespace

SourceRecords::SourceRecords(const std::string& dataFolder) : folder_(platform::joinPath(dataFolder, "sources")) {}

std::string SourceRecords::path(const std::string& file) const { return platform::joinPath(folder_, file); }

std::optional<std::string> SourceRecords::readSmallFile(const std::string& file, std::string_view header) const
{
    std::error_code missing;
    const std::string where = path(file);
    if (!std::filesystem::is_regular_file(where, missing) ||
        std::filesystem::file_size(where, missing) > maximumRecordSize)
        return std::nullopt;
    try {
        std::string text = readWholeFile(where);
        if (!text.starts_with(header) || !text.ends_with('\n'))
            return std::nullopt;
        return text.substr(header.size());
    } catch (const Error&) {
        return std::nullopt;
    }
}

void SourceRecords::writeSmallFile(const std::string& file, const std::string& text) const
{
    std::filesystem::create_directories(folder_);
    platform::writeFileAtomically(path(file), text);
}

std::optional<SourceRecord> SourceRecords::record(const std::string& source) const
{
    const std::optional<std::string> body = readSmallFile(recordFile(source), recordHeader);
    SourceRecord record;
    if (!body || !readFields(*body, [&](auto key, auto value) { return readRecordField(record, key, value); }))
        return std::nullopt;
    return record;
}

void SourceRecords::writeRecord(const std::string& source, const SourceRecord& record) const
{
    std::string text(recordHeader);
    appendField(text, "address", record.address);
    appendField(text, "etag", record.etag);
    appendField(text, "last-modified", record.lastModified);
    appendField(text, "sha256", record.sha256);
    appendField(text, "time", std::to_string(record.time));
    appendField(text, "entries", std::to_string(record.entries));
    appendField(text, "names-sha256", record.namesSha256);
    appendField(text, "result", record.result);
    writeSmallFile(recordFile(source), text);
}

std::optional<AppliedState> SourceRecords::appliedState() const
{
    const std::optional<std::string> body = readSmallFile(appliedStateFile, appliedHeader);
    AppliedState state;
    if (!body || !readFields(*body, [&](auto key, auto value) { return readAppliedField(state, key, value); }) ||
        state.appliedSha256.empty() || state.ownSha256.empty())
        return std::nullopt;
    return state;
}

void SourceRecords::writeAppliedState(const AppliedState& state) const
{
    writeSmallFile(appliedStateFile, std::string(appliedHeader) + state.configuration + "applied-sha256=" +
                                         state.appliedSha256 + "\nown-sha256=" + state.ownSha256 + "\n");
}

ReadNames SourceRecords::readNames(const std::string& file, const std::optional<std::string>& digest) const
{
    if (!digest)
        return {{}, !exists(path(file))};
    try {
        const std::string text = exists(path(file)) ? readWholeFile(path(file)) : std::string();
        if (platform::sha256Hex(text) != *digest)
            return {{}, false};
        std::optional<NameList> names = parseNames(text);
        return {names.value_or(NameList()), names.has_value()};
    } catch (const Error&) {
        return {{}, false};
    }
}

std::string SourceRecords::writeList(const std::string& file, const NameList& names) const
{
    std::string text;
    std::size_t size = 0;
    for (const std::string& name : names)
        size += name.size() + 1;
    text.reserve(size);
    for (const std::string& name : names)
        text.append(name).push_back('\n');
    writeSmallFile(file, text);
    return platform::sha256Hex(text);
}

ReadNames SourceRecords::names(const std::string& source, const std::optional<SourceRecord>& record) const
{
    if (!record)
        return {{}, !hasNames(source)};
    return readNames(namesFile(source), record->namesSha256);
}

bool SourceRecords::hasNames(const std::string& source) const
{
    std::error_code missing;
    return std::filesystem::is_regular_file(path(namesFile(source)), missing);
}

ReadNames SourceRecords::applied(const std::optional<AppliedState>& state) const
{
    return readNames(appliedFile, state ? std::optional(state->appliedSha256) : std::nullopt);
}

ReadNames SourceRecords::own(const std::optional<AppliedState>& state) const
{
    return readNames(ownFile, state ? std::optional(state->ownSha256) : std::nullopt);
}

std::string SourceRecords::writeNames(const std::string& source, const NameList& names) const
{
    return writeList(namesFile(source), names);
}
std::string SourceRecords::writeApplied(const NameList& names) const { return writeList(appliedFile, names); }
std::string SourceRecords::writeOwn(const NameList& names) const { return writeList(ownFile, names); }

void SourceRecords::forget(const std::string& source) const
{
    std::error_code ignored;
    std::filesystem::remove(path(recordFile(source)), ignored);
    std::filesystem::remove(path(namesFile(source)), ignored);
}

} // namespace vendrel

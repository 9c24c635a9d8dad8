#pragma once

#include "properties/violation.h"

#include "core/error.h"
#include "core/history/version_file.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A version file read as hostile input: each of the three readers returns or
// refuses the file with vendrel::Error, and nothing else escapes; they agree
// on whether it is a version at all; and bytes that are read back have the
// hash the header claims.
//
// When the header reads, its fields and the bytes after the blank line are
// also written as a new version, compressed and stored: reading that back
// gives the same fields and bytes (and the stored one is seen as stored).
//
// A version on a base gives no bytes of its own. An edit record that reads
// is written anew and reads back the same; made on the version's bytes, the
// inverse of an edit of whole lines of bytes whose lines all end with a
// break makes those bytes again (lines without a break join the line next
// to them, which no inverse can part).
namespace fuzz_properties {

// What one reader made of the file: its result, or nothing when it refused
// the file with vendrel::Error.
template <typename Result>
struct Reading {
    std::optional<Result> result;
    Violation fault; // an exception other than vendrel::Error
};

template <typename Read>
auto readingOf(const char* reader, Read read) -> Reading<decltype(read())>
{
    try {
        return {read(), {}};
    } catch (const vendrel::Error&) {
        return {};
    } catch (const std::exception& thrown) {
        return {{}, std::string(reader) + " threw an exception other than vendrel::Error: " + thrown.what()};
    } catch (...) {
        return {{}, std::string(reader) + " threw something that is not a std::exception"};
    }
}

// The fields of a version's header, by name, as text.
inline std::vector<std::pair<const char*, std::string>> fieldsOf(const vendrel::VersionInfo& info)
{
    return {{"number", std::to_string(info.number)},
            {"time", std::to_string(info.time)},
            {"command", info.command},
            {"lines-before", std::to_string(info.linesBefore)},
            {"lines-after", std::to_string(info.linesAfter)},
            {"hash", info.hash},
            {"hash-after", info.hashAfter},
            {"move", std::to_string(static_cast<int>(info.move))},
            {"stepped", std::to_string(info.stepped)}};
}

inline Violation infoDifference(const vendrel::VersionInfo& read, const vendrel::VersionInfo& written)
{
    const auto readFields = fieldsOf(read);
    const auto writtenFields = fieldsOf(written);
    for (std::size_t i = 0; i < readFields.size(); ++i)
        if (readFields[i].second != writtenFields[i].second)
            return std::string(readFields[i].first) + " reads back as " + shown(readFields[i].second) + " instead of " +
                   shown(writtenFields[i].second);
    return {};
}

// `bytes` written with `info` but no hash, which the writer then computes,
// and read back.
inline Violation rewriteFault(const vendrel::VersionInfo& info, std::string_view bytes, vendrel::Packing packing)
{
    const std::string prefix = packing == vendrel::Packing::Stored ? "stored version: " : "compressed version: ";
    vendrel::VersionInfo unhashed = info;
    unhashed.hash.clear();
    vendrel::VersionInfo expected = info;
    expected.hash = vendrel::contentHash(bytes);
    const auto written = readingOf("encodeVersion", [&] { return vendrel::encodeVersion(unhashed, bytes, packing); });
    if (!written.result)
        return prefix + written.fault.value_or("encodeVersion refused to write it");
    const std::string& file = *written.result;
    const auto read = readingOf("decodeVersionInfo", [&] { return vendrel::decodeVersionInfo(file, "rewritten"); });
    const auto readBytes = readingOf("decodeVersionBytes",
                                     [&] { return vendrel::decodeVersionBytes(file, "rewritten"); });
    if (!read.result || !readBytes.result)
        return prefix + read.fault.value_or(readBytes.fault.value_or("the written file is refused"));
    if (*readBytes.result != bytes)
        return prefix + "the bytes read back as " + shown(*readBytes.result) + " instead of " + shown(bytes);
    if (Violation difference = infoDifference(*read.result, expected))
        return prefix + *difference;
    if (read.result->diskSize != file.size())
        return prefix + "the disk size reads back as " + std::to_string(read.result->diskSize) + " instead of " +
               std::to_string(file.size());
    const auto stored = readingOf("isStoredVersion", [&] { return vendrel::isStoredVersion(file, "rewritten"); });
    if (packing == vendrel::Packing::Stored && stored.result != true)
        return prefix + stored.fault.value_or("it is not seen as stored");
    return {};
}

// What the edit the file keeps, if any, must satisfy (see above).
inline Violation editFault(std::string_view file, const std::optional<std::string>& bytes)
{
    const auto edit = readingOf("decodeVersionEdit", [&] { return vendrel::decodeVersionEdit(file, "fuzzed"); });
    if (edit.fault || !edit.result || !*edit.result)
        return edit.fault;
    const vendrel::LineEdit& made = **edit.result;
    if (vendrel::decodeLineEdit(vendrel::encodeLineEdit(made)) != made)
        return std::string("the edit record does not read back as it was written anew");
    if (!bytes)
        return {};
    const bool wholeLines = (bytes->empty() || bytes->back() == '\n') &&
                            std::ranges::all_of(made.splices, [](const vendrel::LineSplice& splice) {
                                return splice.lines.empty() || splice.lines.back() == '\n';
                            });
    const std::optional<std::string> after = vendrel::applyLineEdit(*bytes, made);
    if (wholeLines && after && vendrel::applyLineEdit(*after, vendrel::inverseLineEdit(*bytes, made)) != *bytes)
        return "the inverse of the edit does not make " + shown(*bytes) + " again";
    return {};
}

inline Violation versionFile(std::string_view file)
{
    const auto info = readingOf("decodeVersionInfo", [&] { return vendrel::decodeVersionInfo(file, "fuzzed"); });
    const auto stored = readingOf("isStoredVersion", [&] { return vendrel::isStoredVersion(file, "fuzzed"); });
    const auto bytes = readingOf("decodeVersionBytes", [&] { return vendrel::decodeVersionBytes(file, "fuzzed"); });
    for (const Violation& fault : {info.fault, stored.fault, bytes.fault})
        if (fault)
            return fault;
    if (info.result.has_value() != stored.result.has_value())
        return std::string("decodeVersionInfo and isStoredVersion disagree on whether the file is a version");
    if (bytes.result && !info.result)
        return std::string("decodeVersionBytes reads bytes from a file whose header decodeVersionInfo refuses");
    if (bytes.result && vendrel::contentHash(*bytes.result) != info.result->hash)
        return "the bytes read have the hash " + vendrel::contentHash(*bytes.result) + " instead of the header's " +
               shown(info.result->hash);
    if (!info.result)
        return {};
    if (info.result->base != 0 && bytes.result)
        return std::string("a version on a base gives bytes of its own");
    if (Violation fault = editFault(file, bytes.result))
        return fault;

    const std::string_view afterHeader = file.substr(file.find("\n\n") + 2);
    for (const vendrel::Packing packing : {vendrel::Packing::Compressed, vendrel::Packing::Stored})
        if (Violation fault = rewriteFault(*info.result, afterHeader, packing))
            return fault;
    return {};
}

} // namespace fuzz_properties

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vendrel {

using NameList = std::vector<std::string>;

// What the data folder keeps of one source between updates: where it was
// fetched from, what the server said of that body (for the next conditional
// GET), the body's SHA-256, when and how the last update of it ended, and
// how many names it gives, with the SHA-256 of their list.
struct SourceRecord {
    std::string address;
    std::string etag;
    std::string lastModified;
    std::string sha256;
    std::int64_t time = 0; // of the last update, seconds since 1970 UTC
    std::size_t entries = 0;
    std::string namesSha256;
    std::string result; // "updated", "unchanged", or why the last update of it failed

    bool operator==(const SourceRecord&) const = default;
};

// What the last update applied: how it was made (the enabled sources and
// the whitelist) and the SHA-256 of the lists of names it wrote.
struct AppliedState {
    std::string configuration;
    std::string appliedSha256;
    std::string ownSha256;
};

// A list of names read back, and whether it read back as it was written.
struct ReadNames {
    NameList names;
    bool sound = true;
};

// The folder "sources" in the data folder: for each source NAME a record
// (source.NAME.record) and the sorted names its last good body gave
// (source.NAME.names); the names the last update put in the hosts file
// (applied.names); the names that were the user's own lines before any
// source gave them (own.names), which an update never removes; and the
// state of the last update (applied.record).
//
// Everything read back is checked, since whatever stands there decides
// which lines an update removes: a record that does not read back as
// written counts as absent, and a list counts only when its SHA-256 is the
// one its record holds, so that neither a planted list nor one a killed
// update left half-way makes an update remove anything on its word.
class SourceRecords {
public:
    explicit SourceRecords(const std::string& dataFolder);

    const std::string& folder() const { return folder_; }

    std::optional<SourceRecord> record(const std::string& source) const;
    // The source's names, proven by `record`; unsound without a record.
    ReadNames names(const std::string& source, const std::optional<SourceRecord>& record) const;
    // Whether a names list of the source is kept (without reading it).
    bool hasNames(const std::string& source) const;

    std::optional<AppliedState> appliedState() const;
    // The lists of the last update, proven by `state`; without a state,
    // sound and empty only when neither list exists.
    ReadNames applied(const std::optional<AppliedState>& state) const;
    ReadNames own(const std::optional<AppliedState>& state) const;

    // Each writer of a list returns the SHA-256 its record then keeps.
    std::string writeNames(const std::string& source, const NameList& names) const;
    std::string writeApplied(const NameList& names) const;
    std::string writeOwn(const NameList& names) const;
    void writeRecord(const std::string& source, const SourceRecord& record) const;
    void writeAppliedState(const AppliedState& state) const;
    // Forgets a source that was removed from the sources file.
    void forget(const std::string& source) const;

private:
    ReadNames readNames(const std::string& file, const std::optional<std::string>& digest) const;
    std::string writeList(const std::string& file, const NameList& names) const;
    std::string path(const std::string& file) const;
    std::optional<std::string> readSmallFile(const std::string& file, std::string_view header) const;
    void writeSmallFile(const std::string& file, const std::string& text) const;

    std::string folder_;
};

} // namespace vendrel

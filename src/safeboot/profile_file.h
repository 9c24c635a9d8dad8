#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace safeboot {

// A private-profile file held in memory between reading and saving, so that
// several keys are read and changed with one read and one write.
class ProfileFile {
public:
    // Reads the file; a missing file reads as empty and is created by
    // save(). Nothing when the path exists but cannot be read as a file.
    static std::optional<ProfileFile> open(const std::string& path);

    const std::string& path() const { return path_; }
    const std::string& text() const { return text_; }

    // The key's value as the system's programs read it, without a pair of
    // enclosing quotes (see profileString); nothing when the file, section or
    // key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The key's value as the file holds it, quotes kept: what a change that
    // extends the value starts from.
    std::optional<std::string> rawValue(std::string_view section, std::string_view key) const;
    // Sets the key as profile text does; false, changing nothing, when the
    // entry cannot be written so that it reads back as `value`.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    // Replaces the file on disk by the text; false when it cannot be written.
    bool save() const;

private:
    ProfileFile(std::string path, std::string text) : path_(std::move(path)), text_(std::move(text)) {}

    std::string path_;
    std::string text_;
};

} // namespace safeboot

#include "safeboot/profile_file.h"

#include "platform/atomic_file.h"
#include "safeboot/profile_text.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace safeboot {

std::optional<ProfileFile> ProfileFile::open(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return ProfileFile(path, {});
    if (error || status.type() != std::filesystem::file_type::regular)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad())
        return std::nullopt;
    return ProfileFile(path, std::move(text));
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const
{
    return profileString(text_, section, key);
}

std::optional<std::string> ProfileFile::rawValue(std::string_view section, std::string_view key) const
{
    return profileValue(text_, section, key);
}

bool ProfileFile::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    if (!isWritableProfileEntry(section, key, value))
        return false;
    text_ = withProfileValue(text_, section, key, value);
    return true;
}

bool ProfileFile::save() const
{
    try {
        platform::writeFileAtomically(path_, text_);
    } catch (const platform::FileError&) {
        return false;
    }
    return true;
}

} // namespace safeboot

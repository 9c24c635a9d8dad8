#include "core/download/unzip/zip_format.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vendrel::unzip {
namespace {

constexpr std::uint16_t zip64ExtraId = 0x0001;
constexpr std::uint64_t saysSeeZip64 = 0xFFFFFFFF;

// The data of the zip64 extra field. A field whose length runs past the end
// ends the walk: what follows cannot be told apart from padding.
std::string_view zip64ExtraData(std::string_view extraFields)
{
    std::uint64_t at = 0;
    while (fitsInside(extraFields.size(), at, 4)) {
        const std::uint16_t id = read16(extraFields, at);
        const std::uint16_t length = read16(extraFields, at + 2);
        if (!fitsInside(extraFields.size(), at + 4, length))
            break;
        if (id == zip64ExtraId)
            return extraFields.substr(static_cast<std::size_t>(at + 4), length);
        at += 4 + length;
    }
    return {};
}

} // namespace

std::string_view fileNamePart(std::string_view storedName)
{
    const std::size_t separator = storedName.find_last_of("/\\");
    return separator == std::string_view::npos ? storedName : storedName.substr(separator + 1);
}

bool namesNoFile(std::string_view fileName) { return fileName.empty() || fileName == "." || fileName == ".."; }

std::string printableName(std::string_view storedName)
{
    // Cut a long name at the start of a character, not inside one.
    constexpr std::size_t longest = 100;
    std::size_t end = std::min(storedName.size(), longest);
    while (end < storedName.size() && end > 0 && (static_cast<unsigned char>(storedName[end]) & 0xC0) == 0x80)
        --end;
    std::string shown(storedName.substr(0, end));
    if (end < storedName.size())
        shown += "...";
    std::replace_if(
        shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return shown;
}

std::string describeMethod(std::uint16_t method)
{
    static constexpr std::array<std::pair<std::uint16_t, const char*>, 15> names = {{
        {0, "stored"},
        {1, "shrunk"},
        {2, "reduced"},
        {3, "reduced"},
        {4, "reduced"},
        {5, "reduced"},
        {6, "imploded"},
        {8, "deflate"},
        {9, "deflate64"},
        {12, "bzip2"},
        {14, "LZMA"},
        {93, "Zstandard"},
        {95, "xz"},
        {98, "PPMd"},
        {99, "AES encryption"},
    }};
    for (const auto& [number, name] : names)
        if (number == method)
            return std::to_string(method) + " (" + name + ")";
    return std::to_string(method);
}

std::optional<std::time_t> fromDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime)
{
    std::tm local{};
    local.tm_year = 80 + (dosDate >> 9);
    local.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    local.tm_mday = dosDate & 0x1F;
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 0x3F;
    local.tm_sec = (dosTime & 0x1F) * 2;
    local.tm_isdst = -1; // let the time zone say whether summer time applied
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday == 0 || local.tm_hour > 23 || local.tm_min > 59 ||
        local.tm_sec > 59)
        return std::nullopt;
    const std::time_t moment = std::mktime(&local);
    if (moment == static_cast<std::time_t>(-1))
        return std::nullopt;
    return moment;
}

std::optional<WideFields> widenFromZip64Extra(WideFields fields, std::string_view extraFields)
{
    const std::array<std::uint64_t*, 3> inOrder = {&fields.uncompressedSize, &fields.compressedSize,
                                                   &fields.localHeaderOffset};
    const std::string_view data = zip64ExtraData(extraFields);
    std::uint64_t at = 0;
    for (std::uint64_t* field : inOrder) {
        if (*field != saysSeeZip64)
            continue;
        if (!fitsInside(data.size(), at, 8))
            return std::nullopt;
        *field = read64(data, at);
        at += 8;
    }
    return fields;
}

} // namespace vendrel::unzip

#include "platform/posix/rewrite_record.h"

#include "platform/atomic_file.h"
#include "platform/sha256.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace platform::posix {
namespace {

constexpr std::string_view formatLine = "vendrel-rewrite-record 1";
// A header is a few hundred bytes; anything longer is not one.
constexpr std::size_t longestHeader = 1024;
// As large as a hosts file may be read.
constexpr std::uint64_t longestText = std::uint64_t{1} << 30;

struct Header {
    RewriteRecord record;
    std::uint64_t newLength = 0;
    std::string newDigest;
    std::optional<std::uint64_t> oldLength;
    std::string oldDigest;
};

[[noreturn]] void notARecord(const std::string& path, const std::string& why)
{
    throw FileError("The record of an interrupted rewrite " + path + " is damaged (" + why + ")");
}

template <typename Number>
Number parseNumber(std::string_view text, int base, const std::string& path)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        value > std::numeric_limits<Number>::max())
        notARecord(path, "a number is not one");
    return static_cast<Number>(value);
}

std::string parseDigest(std::string_view text, const std::string& path)
{
    if (!isSha256Hex(text))
        notARecord(path, "a digest is not one");
    return std::string(text);
}

void parseField(Header& header, std::string_view key, std::string_view value, const std::string& path)
{
    RewriteRecord& record = header.record;
    if (key == "device")
        record.device = parseNumber<dev_t>(value, 10, path);
    else if (key == "inode")
        record.inode = parseNumber<ino_t>(value, 10, path);
    else if (key == "owner")
        record.owner = parseNumber<uid_t>(value, 10, path);
    else if (key == "mode")
        record.mode = parseNumber<mode_t>(value, 8, path);
    else if (key == "new-length")
        header.newLength = parseNumber<std::uint64_t>(value, 10, path);
    else if (key == "new-sha256")
        header.newDigest = parseDigest(value, path);
    else if (key == "old-length")
        header.oldLength = parseNumber<std::uint64_t>(value, 10, path);
    else if (key == "old-sha256")
        header.oldDigest = parseDigest(value, path);
    else
        notARecord(path, "an unknown field");
}

// The header's fields; `header` is the text before the blank line.
Header parseHeader(std::string_view text, const std::string& path)
{
    if (!text.starts_with(formatLine) || (text.size() > formatLine.size() && text[formatLine.size()] != '\n'))
        notARecord(path, "not a record of this program");
    Header header;
    text.remove_prefix(std::min(text.size(), formatLine.size() + 1));
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            notARecord(path, "a line without a value");
        parseField(header, line.substr(0, space), line.substr(space + 1), path);
        text.remove_prefix(std::min(text.size(), end + 1));
    }
    if (header.newDigest.empty() || header.oldLength.has_value() == header.oldDigest.empty())
        notARecord(path, "a text without its digest");
    if (header.newLength > longestText || header.oldLength.value_or(0) > longestText)
        notARecord(path, "a text longer than a hosts file may be");
    return header;
}

std::string takeText(std::string_view& body, std::uint64_t length, const std::string& digest, const std::string& path)
{
    std::string text(body.substr(0, static_cast<std::size_t>(length)));
    body.remove_prefix(text.size());
    if (sha256Hex(text) != digest)
        notARecord(path, "a text does not have its digest");
    return text;
}

void appendField(std::string& header, std::string_view key, const std::string& value)
{
    header.append(key).append(" ").append(value).append("\n");
}

// Whether `bytes` holds nothing but zeros.
bool allZeros(std::string_view bytes)
{
    return std::ranges::all_of(bytes, [](char c) { return c == '\0'; });
}

std::size_t commonPrefix(std::string_view a, std::string_view b)
{
    const std::size_t shorter = std::min(a.size(), b.size());
    return static_cast<std::size_t>(std::ranges::mismatch(a.substr(0, shorter), b.substr(0, shorter)).in1 - a.begin());
}

// The first offset from which `a` and `b` agree up to `end`.
std::size_t agreeingFrom(std::string_view a, std::string_view b, std::size_t end)
{
    std::size_t from = end;
    while (from > 0 && a[from - 1] == b[from - 1])
        --from;
    return from;
}

} // namespace

std::string encodeRewriteRecord(const RewriteRecord& record)
{
    std::string header(formatLine);
    header.push_back('\n');
    appendField(header, "device", std::to_string(record.device));
    appendField(header, "inode", std::to_string(record.inode));
    appendField(header, "owner", std::to_string(record.owner));
    char mode[16];
    const auto written = std::to_chars(mode, mode + sizeof mode, record.mode & 07777, 8);
    appendField(header, "mode", std::string(mode, written.ptr));
    appendField(header, "new-length", std::to_string(record.newText.size()));
    appendField(header, "new-sha256", sha256Hex(record.newText));
    if (record.oldText) {
        appendField(header, "old-length", std::to_string(record.oldText->size()));
        appendField(header, "old-sha256", sha256Hex(*record.oldText));
    }
    header.push_back('\n');
    header.reserve(header.size() + record.newText.size() + (record.oldText ? record.oldText->size() : 0));
    header.append(record.newText);
    if (record.oldText)
        header.append(*record.oldText);
    return header;
}

RewriteRecord decodeRewriteRecord(std::string_view file, const std::string& path)
{
    const std::size_t blank = file.substr(0, longestHeader).find("\n\n");
    if (blank == std::string_view::npos)
        notARecord(path, "no header");
    Header header = parseHeader(file.substr(0, blank), path);
    std::string_view body = file.substr(blank + 2);
    if (body.size() != header.newLength + header.oldLength.value_or(0))
        notARecord(path, "its texts are not as long as it says");
    header.record.newText = takeText(body, header.newLength, header.newDigest, path);
    if (header.oldLength)
        header.record.oldText = takeText(body, *header.oldLength, header.oldDigest, path);
    return std::move(header.record);
}

bool isUnfinishedRewrite(std::string_view current, const RewriteRecord& record)
{
    const std::string_view newText = record.newText;
    if (current == newText)
        return true;
    if (!record.oldText)
        return false;
    const std::string_view oldText = *record.oldText;
    const std::size_t written = commonPrefix(current, newText);
    // Where the room was reserved by growing the file, the grown part is
    // zeros until the new bytes reach it.
    const std::size_t reservedEnd = std::max(oldText.size(), newText.size());
    if (written >= oldText.size())
        return current.size() == written || (current.size() == reservedEnd && allZeros(current.substr(written)));
    const bool tailIsOld = current.size() == oldText.size() ||
                           (current.size() == reservedEnd && allZeros(current.substr(oldText.size())));
    return tailIsOld && agreeingFrom(current, oldText, oldText.size()) <= written;
}

} // namespace platform::posix

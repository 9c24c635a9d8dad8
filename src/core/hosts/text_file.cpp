#include "core/hosts/text_file.h"

#include "core/error.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace vendrel {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string describe(int error) { return std::strerror(error); }

} // namespace

std::string readWholeFile(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw Error("Cannot open file " + path + ": " + describe(errno));
    struct stat info {};
    if (::fstat(fileno(file.get()), &info) != 0)
        throw Error("Cannot read file " + path + ": " + describe(errno));
    if (S_ISDIR(info.st_mode))
        throw Error("Cannot open file " + path + ": " + describe(EISDIR));
    if (static_cast<unsigned long long>(info.st_size) > maximumTextFileSize)
        throw Error("Cannot read file " + path + ": it is larger than 1 GiB");

    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = std::fread(bytes.data(), 1, bytes.size(), file.get());
    // Files whose size stat does not know (pipes, /proc) are read to their end.
    char chunk[65536];
    while (filled == bytes.size() && !std::ferror(file.get())) {
        const std::size_t more = std::fread(chunk, 1, sizeof chunk, file.get());
        if (more == 0)
            break;
        if (bytes.size() + more > maximumTextFileSize)
            throw Error("Cannot read file " + path + ": it is larger than 1 GiB");
        bytes.append(chunk, more);
        filled = bytes.size();
    }
    if (std::ferror(file.get()))
        throw Error("Cannot read file " + path + ": " + describe(errno));
    bytes.resize(filled);
    return bytes;
}

void refuseNonText(std::string_view text, const std::string& path)
{
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        throw Error("Cannot load " + path +
                    ": the file is stored as UTF-16 text, which the hosts list cannot hold. "
                    "Save it as ANSI or UTF-8 text and open it again.");
    if (std::memchr(text.data(), '\0', text.size()) != nullptr)
        throw Error("Cannot load " + path +
                    ": the file holds NUL bytes, so it is not a plain text hosts file. "
                    "It was left unchanged.");
}

std::string readTextFile(const std::string& path)
{
    std::string text = readWholeFile(path);
    refuseNonText(text, path);
    return text;
}

std::size_t countLines(std::string_view text)
{
    std::size_t lines = 0;
    forEachLine(text, [&lines](std::string_view) { ++lines; });
    return lines;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    forEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    return lines;
}

void writeTextLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::size_t total = 0;
    for (const auto& line : lines)
        total += line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    writeWholeFile(path, bytes);
}

void writeWholeFile(const std::string& path, std::string_view bytes)
{
    try {
        platform::writeFileAtomically(path, bytes);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

} // namespace vendrel

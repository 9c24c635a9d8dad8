#include "core/sources/list_body.h"

#include "core/download/unzip/extract_members.h"
#include "core/download/unzip/zip_archive.h"
#include "core/error.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <algorithm>

namespace vendrel {
namespace {

// A page a web server sends in place of a file it does not have.
bool isMarkup(std::string_view bytes)
{
    const std::string_view start = trimSpaceAndControls(withoutByteOrderMark(bytes.substr(0, 512)));
    for (const std::string_view opening : {"<!doctype", "<html", "<?xml", "<head", "<body"})
        if (start.size() >= opening.size() && equalsIgnoringAsciiCase(start.substr(0, opening.size()), opening))
            return true;
    return false;
}

// The member the list is in: the one `source` names, else the archive's
// only file, else its file named hosts or hosts.txt.
std::size_t listMember(const ZipArchive& archive, const ListSource& source)
{
    const auto& members = archive.members();
    if (!source.member.empty()) {
        const std::vector<std::size_t> named = selectedMembers(members, source.member);
        if (named.empty())
            throw Error("The archive from " + source.name + " holds no file named " + source.member + ".");
        return named.front();
    }
    std::vector<std::size_t> files;
    for (std::size_t i = 0; i < members.size(); ++i)
        if (!members[i].name.ends_with('/'))
            files.push_back(i);
    if (files.size() == 1)
        return files.front();
    for (const char* usual : {"hosts", "hosts.txt"})
        if (const std::vector<std::size_t> named = selectedMembers(members, usual); !named.empty())
            return named.front();
    throw Error("The archive from " + source.name + " holds " + std::to_string(files.size()) +
                " files and none is called hosts; say which with member = NAME in the sources file.");
}

} // namespace

bool isZipArchive(std::string_view bytes)
{
    return bytes.starts_with(std::string_view("PK\x03\x04", 4)) || bytes.starts_with(std::string_view("PK\x05\x06", 4));
}

std::string listTextOfBody(std::string bytes, const ListSource& source)
{
    const bool zip = isZipArchive(bytes);
    if (zip && source.format == ListFormat::Text)
        throw Error(source.name + " sent a ZIP archive where its sources entry says text.");
    if (!zip && source.format == ListFormat::Zip)
        throw Error(source.name + " sent no ZIP archive where its sources entry says zip.");
    std::string text;
    if (zip) {
        const ZipArchive archive = ZipArchive::fromBytes(std::move(bytes), "the archive from " + source.name);
        text = archive.extract(listMember(archive, source));
    } else {
        text = std::move(bytes);
    }
    if (isMarkup(text))
        throw Error(source.name + " sent a web page, not a block list.");
    if (text.find('\0') != std::string::npos)
        throw Error(source.name + " sent binary data, not a block list.");
    return text;
}

BlockingNames blockedNamesOfBody(std::string bytes, const ListSource& source, std::string_view address,
                                 const SystemLines& systemLines)
{
    BlockingNames names = blockingNamesOf(listTextOfBody(std::move(bytes), source), address, systemLines);
    if (names.names.empty())
        throw Error(source.name + " sent a list without a single blocking entry (" + std::to_string(names.leftOut) +
                    " lines of other kinds).");
    return names;
}

} // namespace vendrel

#include "core/download/unzip/extract_members.h"

#include "core/download/unzip/zip_format.h"
#include "core/error.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/folder_writer.h"
#include "platform/platform.h"
#include "platform/text_bytes.h"

namespace vendrel::unzip {
namespace {

// Whether `storedName` is selected by a request for `requested`: its
// file-name part equals the request, ignoring the case of ASCII letters.
bool selectsMember(std::string_view storedName, std::string_view requested)
{
    const std::string_view name = fileNamePart(storedName);
    return !name.empty() && platform::equalIgnoringAsciiCase(name, requested);
}

// Whether a requested name may be written into a folder: it names a file and
// holds no separators, drive colons or NUL bytes.
bool isSafeFileName(std::string_view name)
{
    return !namesNoFile(name) && name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

// What the file written from `member` gets besides its bytes: the member's
// DOS date and time as its modification time (the time of writing when the
// member has no valid date), and the DOS read-only attribute as a file
// without write permission.
platform::NewFileDetails newFileDetails(const ZipMember& member)
{
    platform::NewFileDetails details;
    if (const std::optional<std::time_t> moment = fromDosDateTime(member.dosDate, member.dosTime))
        details.modificationTime = static_cast<std::int64_t>(*moment);
    details.readOnly = member.isReadOnly();
    return details;
}

} // namespace

std::string readArchiveFile(const std::string& path)
{
    try {
        return platform::readRegularFile(path, maxArchiveBytes);
    } catch (const platform::FileError& error) {
        throw Error(error.what());
    }
}

} // namespace vendrel::unzip

namespace vendrel {
namespace {

// Writes the member's bytes into the folder at `baseDirectory`, opened once
// for this; returns the file's path.
std::string writeMember(const ZipArchive& archive, const ZipMember& member, const std::string& bytes,
                        const std::string& baseDirectory)
{
    const std::string name(unzip::fileNamePart(member.name));
    try {
        const platform::Folder folder(baseDirectory);
        platform::writeFileInFolder(folder, name, bytes, unzip::newFileDetails(member));
    } catch (const platform::FileError& error) {
        throw Error("Cannot unpack " + archive.name() + ": " + error.what());
    }
    return platform::joinPath(baseDirectory, name);
}

// Which of several members with the requested name was taken; empty for one.
std::string selectionNote(const ZipArchive& archive, const std::string& memberName,
                          const std::vector<std::size_t>& selected)
{
    if (selected.size() < 2)
        return {};
    const std::string taken = unzip::printableName(archive.members()[selected.front()].name);
    return archive.name() + " holds " + std::to_string(selected.size()) + " files named " +
           unzip::printableName(memberName) + "; the first, \"" + taken + "\", was unpacked";
}

} // namespace

std::vector<std::size_t> selectedMembers(const std::vector<ZipMember>& members, const std::string& memberName)
{
    std::vector<std::size_t> selected;
    for (std::size_t index = 0; index < members.size(); ++index)
        if (!members[index].isDirectory() && unzip::selectsMember(members[index].name, memberName))
            selected.push_back(index);
    return selected;
}

ExtractResult extractMembers(const ZipArchive& archive, const std::string& memberName, const std::string& baseDirectory)
{
    if (!unzip::isSafeFileName(memberName))
        throw Error("Cannot unpack " + archive.name() + ": \"" + unzip::printableName(memberName) +
                    "\" is not a file name");
    const std::vector<std::size_t> selected = selectedMembers(archive.members(), memberName);
    if (selected.empty())
        return {};
    const ZipMember& member = archive.members()[selected.front()];
    const std::string path = writeMember(archive, member, archive.extract(selected.front()), baseDirectory);
    return {{path}, selectionNote(archive, memberName, selected)};
}

ExtractResult extractMembers(const std::string& archivePath, const std::string& memberName,
                             const std::string& baseDirectory)
{
    return extractMembers(ZipArchive::fromFile(archivePath), memberName, baseDirectory);
}

} // namespace vendrel

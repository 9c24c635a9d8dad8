#include "core/download/unzip/extract_members.h"

#include "core/download/unzip/file_metadata.h"
#include "core/download/unzip/member_names.h"
#include "core/error.h"
#include "platform/atomic_file.h"
#include "platform/platform.h"

#include <algorithm>

namespace vendrel {
namespace {

std::string targetPath(const std::string& baseDirectory, const ZipMember& member)
{
    return platform::joinPath(baseDirectory, std::string(unzip::fileNamePart(member.name)));
}

// Whether no later selected member is written to the same file as the one
// at `position`; only that last one's read-only attribute is kept, so that
// the ones before it do not block its write.
bool isLastWriteOf(const std::vector<std::string>& targets, std::size_t position)
{
    return std::find(targets.begin() + static_cast<std::ptrdiff_t>(position) + 1, targets.end(), targets[position]) ==
           targets.end();
}

void writeMember(const ZipArchive& archive, const ZipMember& member, const std::string& bytes, const std::string& path,
                 bool keepReadOnly)
{
    try {
        platform::writeFileAtomically(path, bytes);
    } catch (const platform::FileError& error) {
        throw Error("Cannot unpack " + archive.name() + ": " + error.what());
    }
    unzip::stampModificationTime(path, member);
    if (keepReadOnly && member.isReadOnly())
        unzip::removeWritePermission(path);
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
    // A later member that fails must not leave an earlier one written, so
    // with several members all are checked first (unpacking them twice).
    if (selected.size() > 1)
        for (const std::size_t index : selected)
            archive.extract(index);

    std::vector<std::string> targets;
    for (const std::size_t index : selected)
        targets.push_back(targetPath(baseDirectory, archive.members()[index]));
    for (std::size_t position = 0; position < selected.size(); ++position) {
        const ZipMember& member = archive.members()[selected[position]];
        writeMember(archive, member, archive.extract(selected[position]), targets[position],
                    isLastWriteOf(targets, position));
    }
    return {targets};
}

ExtractResult extractMembers(const std::string& archivePath, const std::string& memberName,
                             const std::string& baseDirectory)
{
    return extractMembers(ZipArchive::fromFile(archivePath), memberName, baseDirectory);
}

} // namespace vendrel

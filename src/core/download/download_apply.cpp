#include "core/download/download_apply.h"

#include "core/download/unzip/extract_members.h"
#include "core/error.h"

namespace vendrel {

std::string extractDownloadedList(const std::string& zipPath, const std::string& member, const std::string& folder)
{
    const ExtractResult result = extractMembers(zipPath, member, folder);
    if (result.nothingSelected())
        throw Error("The archive " + zipPath + " holds no file named " + member + ".");
    return result.writtenFiles.back();
}

} // namespace vendrel

#include "core/download/unzip/file_metadata.h"

#include "core/download/unzip/dos_time.h"

namespace vendrel::unzip {

platform::NewFileDetails newFileDetails(const ZipMember& member)
{
    platform::NewFileDetails details;
    if (const std::optional<std::time_t> moment = fromDosDateTime(member.dosDate, member.dosTime))
        details.modificationTime = static_cast<std::int64_t>(*moment);
    details.readOnly = member.isReadOnly();
    return details;
}

} // namespace vendrel::unzip

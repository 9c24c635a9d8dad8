// libFuzzer target of the ZIP unpacker: any bytes are opened as an archive,
// every member is unpacked, and the members a request for "hosts" selects
// are listed. Refusals are vendrel::Error; anything else escaping, a crash,
// a leak or undefined behaviour is a finding.

#include "core/download/unzip/extract_members.h"
#include "core/download/unzip/zip_archive.h"
#include "core/error.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const auto archive =
            vendrel::ZipArchive::fromBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz.zip");
        vendrel::selectedMembers(archive.members(), "hosts");
        for (std::size_t index = 0; index < archive.members().size(); ++index) {
            try {
                archive.extract(index);
            } catch (const vendrel::Error&) {
                // a refused member; the others are still tried
            }
        }
    } catch (const vendrel::Error&) {
        // a refused archive
    }
    return 0;
}

// libFuzzer target of the ZIP unpacker: any bytes are opened as an archive,
// every member is unpacked, and the members a request for "hosts" selects
// are listed. Refusals are vendrel::Error; anything else escaping, a crash,
// a leak or undefined behaviour is a finding, and so is an archive whose
// members together unpack to more than the per-archive bound.

#include "core/download/unzip/extract_members.h"
#include "core/download/unzip/zip_archive.h"
#include "core/download/unzip/zip_format.h"
#include "core/error.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const auto archive = vendrel::ZipArchive::fromBytes(std::string(reinterpret_cast<const char*>(data), size),
                                                            "fuzz.zip");
        vendrel::selectedMembers(archive.members(), "hosts");
        std::uint64_t unpacked = 0;
        for (std::size_t index = 0; index < archive.members().size(); ++index) {
            try {
                unpacked += archive.extract(index).size();
            } catch (const vendrel::Error&) {
                // a refused member; the others are still tried
            }
        }
        if (unpacked > vendrel::unzip::maxUnpackedBytesPerArchive)
            __builtin_trap();
    } catch (const vendrel::Error&) {
        // a refused archive
    }
    return 0;
}

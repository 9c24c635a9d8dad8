#pragma once

#include "core/download/unzip/member_names.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace vendrel::unzip {

// Something wrong with the archive's bytes. The message is the reason alone,
// such as "its directory points outside the file"; the archive reports it
// as a vendrel::Error that names the archive file.
class ZipDefect : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes hold no end record at all: not a ZIP archive.
class NotZipArchive : public ZipDefect {
public:
    NotZipArchive() : ZipDefect("is not a ZIP archive") {}
};

// A defect of one member, such as `member "lists/hosts" fails its CRC-32 check`.
inline ZipDefect memberDefect(std::string_view storedName, const std::string& what)
{
    return ZipDefect("member \"" + printableName(storedName) + "\" " + what);
}

} // namespace vendrel::unzip

#pragma once

#include <string>
#include <string_view>

namespace vendrel::unzip {

// The part of a stored name after its last "/" or "\"; the whole name when
// it has neither.
std::string_view fileNamePart(std::string_view storedName);

// Whether `storedName` is selected by a request for `requested`: its
// file-name part equals the request, ignoring the case of ASCII letters.
bool selectsMember(std::string_view storedName, std::string_view requested);

// Whether a file-name part names no file: empty, "." or "..". An archive
// with such a member (other than a folder entry) is refused.
bool namesNoFile(std::string_view fileName);

// Whether a requested name may be written into a folder: it names a file and
// holds no separators, drive colons or NUL bytes.
bool isSafeFileName(std::string_view name);

// A stored name as it may be shown in a message: control bytes become "?",
// and a very long name is cut short with "...".
std::string printableName(std::string_view storedName);

} // namespace vendrel::unzip

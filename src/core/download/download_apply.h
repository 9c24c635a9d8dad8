#pragma once

#include <string>

namespace vendrel {

// Unpacks the block list `member` of a downloaded archive into `folder` and
// returns the path of the file written (from the first member of that
// name, when several have it). Throws Error when the archive cannot be
// unpacked or holds no such member, so that a file of that name already in
// the folder is never taken for the one just downloaded.
std::string extractDownloadedList(const std::string& zipPath, const std::string& member, const std::string& folder);

} // namespace vendrel

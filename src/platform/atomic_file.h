#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the file at `path` by `bytes`: the data goes to a temporary file in
// the same folder, is flushed to disk and then renamed over the target, whose
// permission bits and owner are kept. A symbolic link is followed, so the
// file it names is replaced. A read-only target is refused. On any failure
// the old file is left whole and FileError is thrown.
void writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace platform

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A folder opened once, so that the files written into it are created
// relative to that handle: a symbolic link planted later in the folder's
// path, or at the file's name, cannot send a write anywhere else.
class Folder {
public:
    // Opens the folder at `path`; throws FileError naming it when it is not
    // a folder or cannot be opened.
    explicit Folder(const std::string& path);
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::string& path() const { return path_; }
    // The operating system's handle of the open folder.
    std::intptr_t handle() const { return handle_; }

private:
    std::string path_;
    std::intptr_t handle_ = -1;
};

// What a file written into a folder gets besides its bytes.
struct NewFileDetails {
    // Modification time in seconds since 1970-01-01 UTC; now when absent.
    std::optional<std::int64_t> modificationTime;
    // The file is left without write permission.
    bool readOnly = false;
    // Only its owner may read it (where files have permission bits): for a
    // copy of a file that may be private, which must not grant more.
    bool ownerOnly = false;
};

// The details of a private copy: only its owner may read it.
inline NewFileDetails ownerOnlyFile()
{
    NewFileDetails details;
    details.ownerOnly = true;
    return details;
}

// Creates or replaces the file `name` (a plain name, without a separator) in
// `folder` with `bytes`: written to a temporary file in that folder, synced,
// given `details`, then renamed over `name`. Whatever stood at `name` (a
// file or a symbolic link) is replaced itself; a link is never followed.
// On failure nothing at `name` changes and FileError names the file.
void writeFileInFolder(const Folder& folder, const std::string& name, std::string_view bytes,
                       const NewFileDetails& details = {});

} // namespace platform

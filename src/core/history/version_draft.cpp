#include "core/history/version_draft.h"

#include "core/error.h"
#include "core/hosts/text_file.h"
#include "platform/atomic_file.h"
#include "platform/folder_writer.h"
#include "platform/platform.h"

#include <filesystem>

namespace vendrel {
namespace {

constexpr std::string_view draftSuffix = ".draft";
// The compressed bytes go to disk in pieces of this size: all a draft holds in memory.
constexpr std::size_t pieceSize = std::size_t{1} << 20;

std::string draftName(std::size_t chunk, std::size_t piece)
{
    return "piece-" + std::to_string(chunk) + "-" + std::to_string(piece) + std::string(draftSuffix);
}

} // namespace

void removeFolderIfEmpty(const std::string& folder)
{
    std::error_code error;
    if (std::filesystem::is_empty(folder, error) && !error)
        std::filesystem::remove(folder, error);
}

void createPrivateFolder(const std::string& folder)
{
    std::error_code error;
    if (std::filesystem::create_directory(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
}

void removeStaleDrafts(const std::string& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().filename().string().ends_with(draftSuffix))
            std::filesystem::remove(entry.path(), error);
}

VersionDraft::VersionDraft(std::string_view bytes, std::string folder) : folder_(std::move(folder))
{
    createPrivateFolder(folder_);
    removeStaleDrafts(folder_);
    packer_ = std::jthread([this, bytes] {
        try {
            pack(bytes);
        } catch (const platform::FileError& failure) {
            failure_ = std::make_exception_ptr(versionNotKept(failure.what()));
        } catch (...) {
            failure_ = std::current_exception();
        }
    });
}

VersionDraft::~VersionDraft()
{
    wait();
    std::error_code error;
    for (const std::vector<std::string>& names : packed_.pieces)
        for (const std::string& piece : names)
            std::filesystem::remove(platform::joinPath(folder_, piece), error);
    removeFolderIfEmpty(folder_);
}

void VersionDraft::pack(std::string_view bytes)
{
    const platform::Folder folder(folder_);
    packed_.pieces.resize(versionChunkCount(bytes.size()));
    packed_.chunks = packBytesInPieces(bytes, pieceSize, [&](std::size_t chunk, std::string_view piece) {
        // Each chunk's thread names only its own pieces, before it writes
        // them, so that a part-written draft goes too.
        std::vector<std::string>& names = packed_.pieces[chunk];
        names.push_back(draftName(chunk, names.size()));
        platform::writeFileInFolder(folder, names.back(), piece, platform::ownerOnlyFile());
    });
    packed_.lines = countLines(bytes);
    packed_.hash = contentHash(bytes);
}

void VersionDraft::wait()
{
    if (packer_.joinable())
        packer_.join();
}

const PackedVersion& VersionDraft::packed()
{
    wait();
    if (failure_)
        std::rethrow_exception(failure_);
    return packed_;
}

} // namespace vendrel

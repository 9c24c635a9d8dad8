#pragma once

#include "fake_platform.h"

// Helpers of the unpacker tests: the committed archives, a temporary folder,
// the message of a failing call, and archives put together byte by byte for
// the cases no tool writes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace unzip_test {

using testing_support::namesIn;

// A file under tests/download/data.
std::string dataPath(const std::string& relative);
std::string readFile(const std::string& path);

// A fresh folder under the system's temporary directory, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The message of the vendrel::Error that `call` throws, or nothing when it
// returns normally. Any other exception fails the test.
std::optional<std::string> errorOf(const std::function<void()>& call);

// One member of a hand-made archive, stored (method 0) unless told otherwise.
struct HandMadeMember {
    std::string name{};
    std::string data{};
    std::optional<std::uint64_t> declaredSize{}; // the unpacked size claimed; data.size() when unset
    std::uint16_t method = 0;
    // What the directory entry alone claims: where the local header is (the
    // member's own header is still written) and how many bytes of data follow it.
    std::optional<std::uint64_t> headerOffset{};
    std::optional<std::uint64_t> declaredCompressedSize{};
};

// An archive of the members, each local header and its data in turn, then
// the directory. With `zip64End`, a zip64 end record and its locator come
// before the end record, whose counts then say 0xFFFF.
std::string handMadeArchive(const std::vector<HandMadeMember>& members, bool zip64End = false);

} // namespace unzip_test

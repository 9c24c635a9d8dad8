#include "temporary_folder.h"

#include <filesystem>
#include <random>
#include <stdexcept>

namespace testing_support {

std::string createTemporaryFolder(const std::string& prefix)
{
    namespace fs = std::filesystem;
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += alphabet[pick(random)];
        const fs::path folder = fs::temp_directory_path() / name;
        std::error_code error;
        if (fs::create_directory(folder, error))
            return folder.string();
    }
    throw std::runtime_error("cannot create a temporary folder");
}

} // namespace testing_support

#include "platform/sha256.h"

#include "platform/atomic_file.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <limits>

namespace platform {

std::string sha256Hex(std::string_view bytes)
{
    unsigned char digest[32];
    constexpr ULONG chunk = std::numeric_limits<ULONG>::max();
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
              BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    for (std::size_t at = 0; ok && at < bytes.size(); at += chunk) {
        const auto size = static_cast<ULONG>(std::min<std::size_t>(chunk, bytes.size() - at));
        ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at)), size, 0) == 0;
    }
    ok = ok && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash)
        BCryptDestroyHash(hash);
    if (algorithm)
        BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok)
        throw FileError("The SHA-256 digest of a text could not be computed");
    return lowerHex({reinterpret_cast<const char*>(digest), sizeof digest});
}

} // namespace platform

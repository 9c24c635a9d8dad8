#include "platform/sha256.h"

#include "platform/atomic_file.h"

#include <openssl/evp.h>

#include <memory>

namespace platform {

std::string sha256Hex(std::string_view bytes)
{
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest, &size) != 1)
        throw FileError("The SHA-256 digest of a text could not be computed");
    return lowerHex({reinterpret_cast<const char*>(digest), size});
}

} // namespace platform

#include "watch/NameDigest.h"

#include <openssl/evp.h>

#include <array>

namespace gleanwork {

std::string NameDigest(std::string_view name) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    EVP_Digest(name.data(), name.size(), digest.data(), &size, EVP_sha256(), nullptr);
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    std::string text;
    for (std::size_t at = 0; at < 4; ++at) {
        text += kHexDigits[digest[at] >> 4];
        text += kHexDigits[digest[at] & 0x0F];
    }
    return text;
}

}  // namespace gleanwork

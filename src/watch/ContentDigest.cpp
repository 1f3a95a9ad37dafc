#include "watch/ContentDigest.h"

#include <openssl/evp.h>

#include <array>

namespace gleanwork {

std::string Sha256Hex(std::string_view bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr);
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string hex;
    for (unsigned int at = 0; at < size; ++at) {
        hex += kDigits[digest[at] >> 4];
        hex += kDigits[digest[at] & 15];
    }
    return hex;
}

}  // namespace gleanwork

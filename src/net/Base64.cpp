#include "net/Base64.h"

#include <cstdint>

namespace gleanwork {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::uint32_t Byte(std::string_view bytes, std::size_t at) {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0U;
}

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::uint32_t group =
            Byte(bytes, at) << 16 | Byte(bytes, at + 1) << 8 | Byte(bytes, at + 2);
        const std::size_t taken = bytes.size() - at;
        encoded += kAlphabet[group >> 18 & 0x3F];
        encoded += kAlphabet[group >> 12 & 0x3F];
        encoded += taken > 1 ? kAlphabet[group >> 6 & 0x3F] : '=';
        encoded += taken > 2 ? kAlphabet[group & 0x3F] : '=';
    }
    return encoded;
}

}  // namespace gleanwork

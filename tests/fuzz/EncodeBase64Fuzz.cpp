// Arbitrary bytes through EncodeBase64, decoded again by a decoder of this
// test: only the standard alphabet, "=" padding only at the end, four
// characters for every three bytes begun, and the bytes back unchanged.
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "net/Base64.h"

namespace gleanwork::fuzz {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The bytes of a padded Base64 text, or none when it is no such text.
std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t group = 0; group < text.size(); group += 4) {
        const bool last = group + 4 == text.size();
        unsigned bits = 0;
        int padding = 0;
        for (std::size_t at = group; at < group + 4; ++at) {
            const std::size_t value = kAlphabet.find(text[at]);
            if (text[at] == '=' && last && at >= group + 2) {
                ++padding;
            } else if (value == std::string_view::npos || padding > 0) {
                return std::nullopt;
            }
            bits = bits << 6 | (value == std::string_view::npos ? 0U : value);
        }
        const char group3[3] = {static_cast<char>(bits >> 16), static_cast<char>(bits >> 8),
                                static_cast<char>(bits)};
        // The bits that padding hides must be zero.
        if ((padding == 1 && (bits & 0xFF) != 0) || (padding == 2 && (bits & 0xFFFF) != 0)) {
            return std::nullopt;
        }
        bytes.append(group3, 3 - static_cast<std::size_t>(padding));
    }
    return bytes;
}

}  // namespace

void FuzzEncodeBase64(std::string_view input) {
    const std::string encoded = EncodeBase64(input);
    FUZZ_CHECK(encoded.size() == (input.size() + 2) / 3 * 4);
    const std::optional<std::string> decoded = DecodeBase64(encoded);
    FUZZ_CHECK(decoded.has_value() && *decoded == input);
}

}  // namespace gleanwork::fuzz

#include "base/TextScan.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace gleanwork {

std::string_view TrimWhitespace(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsWhitespace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsWhitespace).base();
    return first < last ? std::string_view(first, last) : std::string_view();
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::int64_t ReadDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsWhitespace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        magnitude = magnitude > (kMax - digit) / 10 ? kMax : magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace gleanwork

#include "net/RobotsPattern.h"

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

void AppendEscape(unsigned char byte, std::string& result) {
    result.push_back('%');
    result.push_back(kHexDigits[byte >> 4]);
    result.push_back(kHexDigits[byte & 0x0F]);
}

}  // namespace

std::string NormalizeRobotsPath(std::string_view path) {
    std::string result;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const auto byte = static_cast<unsigned char>(path[at]);
        if (byte == '%' && at + 2 < path.size() && DigitValue(path[at + 1], 16) >= 0 &&
            DigitValue(path[at + 2], 16) >= 0) {
            const auto decoded = static_cast<unsigned char>(DigitValue(path[at + 1], 16) * 16 +
                                                            DigitValue(path[at + 2], 16));
            at += 2;
            if (IsUnreserved(decoded)) {
                result.push_back(static_cast<char>(decoded));
            } else {
                AppendEscape(decoded, result);
            }
        } else if (byte <= 0x20 || byte >= 0x7F) {
            AppendEscape(byte, result);
        } else {
            result.push_back(path[at]);
        }
    }
    return result;
}

bool RobotsPatternMatches(std::string_view pattern, std::string_view path) {
    const bool anchored = pattern.ends_with('$');
    if (anchored) {
        pattern.remove_suffix(1);
    }
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t star = std::string_view::npos;  // the last "*" passed, to retry from
    std::size_t starPath = 0;                   // where in the path that "*" began
    while (s < path.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starPath = s;
        } else if (p < pattern.size() && pattern[p] == path[s]) {
            ++p;
            ++s;
        } else if (p == pattern.size() && !anchored) {
            return true;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            s = ++starPath;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace gleanwork

#include "cli/LogEntryText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace gleanwork {

namespace {

// The escape that stands for `c`, or 0 when `c` stands for itself.
char EscapeOf(char c) {
    switch (c) {
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        case '\\':
            return '\\';
        default:
            return 0;
    }
}

// Whether any of the eight bytes of `word` is a line feed, a carriage return
// or a backslash: a byte equal to `c` is a zero byte of `word ^ (c * kOnes)`,
// and `(v - kOnes) & ~v & kHighs` is not 0 exactly when `v` has a zero byte.
bool HasEscapedByte(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const auto zeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    return (zeroByte(word ^ (kOnes * '\n')) | zeroByte(word ^ (kOnes * '\r')) |
            zeroByte(word ^ (kOnes * '\\'))) != 0;
}

// The first byte in [at, end) that is written as an escape, or `end`; eight
// bytes at a time, since a run can log hundreds of megabytes.
const char* FindEscapedByte(const char* at, const char* end) {
    for (std::uint64_t word = 0; end - at >= 8; at += 8) {
        std::memcpy(&word, at, sizeof word);
        if (HasEscapedByte(word)) {
            break;
        }
    }
    while (at != end && EscapeOf(*at) == 0) {
        ++at;
    }
    return at;
}

}  // namespace

char* WriteLogEntry(char* out, std::string_view entry) {
    const char* plain = entry.data();
    const char* const end = plain + entry.size();
    for (const char* at = FindEscapedByte(plain, end); at != end;
         at = FindEscapedByte(plain, end)) {
        out = std::copy(plain, at, out);
        *out++ = '\\';
        *out++ = EscapeOf(*at);
        plain = at + 1;
    }
    out = std::copy(plain, end, out);
    *out++ = '\n';
    return out;
}

}  // namespace gleanwork

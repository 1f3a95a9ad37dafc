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

// The first byte in [at, end) that is written as an escape, or `end`.
const char* FindEscapedByteIn(const char* at, const char* end) {
    return std::find_if(at, end, [](char c) { return EscapeOf(c) != 0; });
}

// Whether any byte of the 32 at `at` is a line feed, a carriage return or a
// backslash; the comparisons go 16 bytes at a time, a vector register each
// on any 64-bit processor.
bool HasEscapedByteIn32(const char* at) {
    using Bytes = char __attribute__((vector_size(16)));
    const auto escaped = [](const char* from) {
        Bytes bytes;
        std::memcpy(&bytes, from, sizeof bytes);
        return (bytes == '\n') | (bytes == '\r') | (bytes == '\\');
    };
    const auto hits = escaped(at) | escaped(at + sizeof(Bytes));
    std::uint64_t words[2];
    std::memcpy(&words, &hits, sizeof words);
    return (words[0] | words[1]) != 0;
}

// The same for the 8 bytes at `at`, for short lines: a byte equal to `c` is
// a zero byte of `word ^ (c * kOnes)`, and `(v - kOnes) & ~v & kHighs` is
// not 0 exactly when `v` has a zero byte.
bool HasEscapedByteIn8(const char* at) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const auto zeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return (zeroByte(word ^ (kOnes * '\n')) | zeroByte(word ^ (kOnes * '\r')) |
            zeroByte(word ^ (kOnes * '\\'))) != 0;
}

// The first byte in [at, end) that is written as an escape, or `end`, a
// block of `Size` bytes at a time; the last block ends at `end` and may go
// over bytes already tested. Needs at least `Size` bytes.
template <std::size_t Size, bool (*HasEscapedByte)(const char*)>
const char* FindEscapedByteBy(const char* at, const char* end) {
    for (const char* block = at;; block += Size) {
        const bool last = static_cast<std::size_t>(end - block) <= Size;
        if (last) {
            block = end - Size;
        }
        if (HasEscapedByte(block)) {
            return FindEscapedByteIn(at, end);
        }
        if (last) {
            return end;
        }
        at = block + Size;
    }
}

// The first byte in [at, end) that is written as an escape, or `end`; a
// block at a time, since a run can log hundreds of megabytes, mostly in
// short lines.
const char* FindEscapedByte(const char* at, const char* end) {
    const auto size = static_cast<std::size_t>(end - at);
    if (size >= 32) {
        return FindEscapedByteBy<32, HasEscapedByteIn32>(at, end);
    }
    return size >= 8 ? FindEscapedByteBy<8, HasEscapedByteIn8>(at, end)
                     : FindEscapedByteIn(at, end);
}

}  // namespace

char* WriteLogText(char* out, std::string_view text) {
    const char* plain = text.data();
    const char* const end = plain + text.size();
    for (const char* at = FindEscapedByte(plain, end); at != end;
         at = FindEscapedByte(plain, end)) {
        out = std::copy(plain, at, out);
        *out++ = '\\';
        *out++ = EscapeOf(*at);
        plain = at + 1;
    }
    return std::copy(plain, end, out);
}

char* WriteLogEntry(char* out, std::string_view entry) {
    out = WriteLogText(out, entry);
    *out++ = '\n';
    return out;
}

std::size_t LogTextSize(std::string_view text) {
    std::size_t size = text.size();
    const char* const end = text.data() + text.size();
    for (const char* at = FindEscapedByte(text.data(), end); at != end;
         at = FindEscapedByte(at + 1, end)) {
        ++size;
    }
    return size;
}

}  // namespace gleanwork

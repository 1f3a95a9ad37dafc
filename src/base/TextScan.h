#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gleanwork {

// True for space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of `c` as a digit in `base` (up to 16; letters in either case),
// or -1 when it is none.
constexpr int DigitValue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// `text` without leading and trailing white space.
std::string_view TrimWhitespace(std::string_view text);

// `text` with its letters in lower case.
std::string LowerCase(std::string_view text);

// Reads the decimal integer at the start of `text`: leading white space, an
// optional sign, then digits up to the first other character. No digits
// gives 0; values beyond the 64-bit range are clamped to it.
std::int64_t ReadDecimal(std::string_view text);

// The length of the valid UTF-8 sequence of more than one byte at the front
// of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text);

// True when `text` is valid UTF-8 throughout.
bool IsUtf8(std::string_view text);

}  // namespace gleanwork

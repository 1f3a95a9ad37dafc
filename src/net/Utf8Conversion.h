#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gleanwork {

// What converting bytes to UTF-8 came to.
struct Utf8Conversion {
    bool converted = false;    // false: the C library cannot convert from that set
    std::string text;          // the UTF-8 text when converted
    std::size_t replaced = 0;  // bytes that did not convert, each now U+FFFD
    std::string reason;        // why it was not converted
};

// Converts `bytes` from the character set that iconv knows as `iconvName`
// to UTF-8. A byte that does not convert (invalid, or unassigned in that
// set) becomes U+FFFD and the conversion goes on after it; an incomplete
// sequence at the end becomes one U+FFFD.
Utf8Conversion ConvertToUtf8(std::string_view bytes, std::string_view iconvName);

// `bytes` as valid UTF-8: each longest run of bytes that begins no valid
// sequence (at most the start of one) becomes U+FFFD.
std::string ValidUtf8(std::string_view bytes);

}  // namespace gleanwork

#pragma once

#include <ctime>
#include <optional>
#include <string_view>

namespace gleanwork {

// Reads the date of a cookie's Expires attribute the lenient way that
// browsers do (RFC 6265, 5.1.1): the first time (h:m:s), day of month, month
// name and year found among its tokens, in any order. None when a part is
// missing or out of range.
std::optional<std::time_t> ParseCookieDate(std::string_view text);

}  // namespace gleanwork

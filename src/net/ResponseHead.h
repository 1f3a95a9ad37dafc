#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/CookieJar.h"

namespace gleanwork {

// Takes one CR LF ended line off the front of `text` and returns it without
// its CR LF. When `text` holds no CR LF, returns an empty line and leaves
// `text` as it is.
std::string_view ReadHeaderLine(std::string_view& text);

// The lines of a reply's head, without their CR LF, up to the first empty
// line or the first text without a CR LF.
std::vector<std::string_view> HeaderLines(std::string_view head);

// The second space-separated word of a status line: its status code.
std::string_view StatusCode(std::string_view statusLine);

// The value of the first line in `lines` whose header name (the text before
// its first ":", or the whole line) equals `name`, without regard to case;
// the value starts two characters after the name. Empty when no line has
// that name.
std::string_view FindHeader(std::string_view name, const std::vector<std::string_view>& lines);

// The length of the body that `head` announces: the value of its
// "Content-Length" line when that is a decimal number, and no length when a
// "Transfer-Encoding" line says the body is framed otherwise.
std::optional<std::uint64_t> ContentLength(std::string_view head);

// The status code of `statusLine` as a number, or 0 when it is not three
// digits.
int StatusNumber(std::string_view statusLine);

// The length that `head` announces when the body of a final reply with that
// head, `bodySize` bytes, falls short of it (replies of status 1xx, 204 and
// 304 have no body); none when the body is whole.
std::optional<std::uint64_t> UnmetLength(std::string_view head, std::size_t bodySize);

// Keeps every Set-Cookie value of the head `lines` (see HeaderLines) in
// `cookies`, for `origin`, the origin of the request that the reply answers.
void StoreCookies(CookieJar& cookies, const std::vector<std::string_view>& lines,
                  const CookieOrigin& origin);

}  // namespace gleanwork

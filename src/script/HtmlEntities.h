#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// Appends `text` to `result` with its HTML character references decoded in
// one pass (so "&amp;amp;" gives "&amp;"), as UTF-8:
// - "&#" and decimal digits, or "&#x" and hexadecimal digits, the ";" after
//   them optional; code 0, surrogates and codes past U+10FFFF give U+FFFD,
//   and codes 128 to 159 the characters that pages written in Windows-1252
//   mean by them;
// - "&", a name and ";" for the named references of HTML 4 (the markup
//   characters, Latin-1, and the common typographic signs).
// Anything else, an "&#" without digits or an unknown name included, is
// copied as it stands.
void AppendHtmlDecoded(std::string_view text, std::string& result);

// Appends the UTF-8 form of the code point `code` (at most U+10FFFF).
void AppendUtf8(char32_t code, std::string& result);

}  // namespace gleanwork

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/CharsetLabel.h"

namespace gleanwork {

// How far into a page a browser looks for a meta element that names its
// character set.
inline constexpr std::size_t kMetaCharsetWindow = 1024;

// The character set of the first meta element in the first 1,024 bytes of
// `page` that declares a known one, as browsers find it before they parse
// the page: <meta charset="..."> or <meta http-equiv="Content-Type"
// content="...; charset=...">, attribute names in any case, values quoted
// or not; comments and the attributes of other tags are skipped. A page
// that says it is UTF-16 cannot be (it was read as ASCII to find that), so
// that gives UTF-8, as in browsers. None when no meta element declares one.
std::optional<Charset> MetaCharset(std::string_view page);

// The value of the "charset" parameter of a Content-Type value or of a meta
// element's content ("text/html; charset=Shift_JIS", the value quoted or
// not, the name in any case); empty when there is none.
std::string CharsetParameter(std::string_view contentType);

}  // namespace gleanwork

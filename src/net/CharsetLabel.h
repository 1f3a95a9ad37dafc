#pragma once

#include <optional>
#include <string_view>

namespace gleanwork {

// A character set as pages name it: its name as browsers report it, and the
// name the C library's iconv knows it by.
struct Charset {
    std::string_view name;
    std::string_view iconvName;
};

// The character set that `label` (from a Content-Type header, a meta
// element or an agent's CHARSET) stands for, read as browsers read it:
// surrounding white space ignored, letters in any case, and the labels that
// browsers take as aliases. So "latin1", "iso-8859-1" and "us-ascii" give
// windows-1252 (the superset that browsers decode them as), "sjis" and
// "ms932" give shift_jis (decoded as Microsoft's code page 932, as browsers
// do), "gb2312" gives gbk (decoded as GB18030), "big5" gives Big5 with the
// Hong Kong additions, and "euc-kr" the Korean code page 949. None for a
// label that names no character set that pages use.
std::optional<Charset> FindCharset(std::string_view label);

}  // namespace gleanwork

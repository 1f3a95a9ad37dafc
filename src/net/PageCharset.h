#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "net/CharsetLabel.h"

namespace gleanwork {

// Where the character set of a page came from.
enum class CharsetSource {
    ByteOrderMark,  // its first bytes
    ContentType,    // the charset of the reply's Content-Type header
    Meta,           // a meta element in its first 1,024 bytes
    Default,        // none of these: windows-1252, as browsers assume
    Setting,        // the agent's CHARSET names it
};

// The character set of a page and where it was found.
struct PageCharset {
    Charset charset;
    CharsetSource source = CharsetSource::Default;
    std::size_t markLength = 0;  // bytes of the byte order mark, not part of the text
};

// The character set of `body` in the order browsers use: a byte order mark
// (UTF-8, UTF-16 BE or LE), else the charset of `contentType` (the
// Content-Type header's value) when it is a known label, else a meta
// element's (see MetaCharset), else windows-1252.
PageCharset DetectPageCharset(std::string_view body, std::string_view contentType);

// A page as the script reads it.
struct PageText {
    std::string text;
    bool converted = false;  // true: `text` is UTF-8
    std::string note;        // one run-log line on what was done; empty when nothing
};

// The text of a page whose body is `body` and whose reply said
// `contentType`, after the agent's CHARSET `setting`:
// - empty: the bytes as received, no note;
// - "auto" (in any case): converted to UTF-8 from the set DetectPageCharset
//   finds;
// - a label (see FindCharset): converted to UTF-8 from that set (a byte
//   order mark still wins, as it does in browsers).
// Bytes that do not convert become U+FFFD. An unknown label, or a set the
// C library cannot convert, keeps the bytes as received and says so in the
// note. Never fails.
PageText DecodePage(std::string_view body, std::string_view contentType, std::string_view setting);

}  // namespace gleanwork

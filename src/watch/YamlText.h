#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// `text`, which must be UTF-8, as a YAML double-quoted scalar: quotes,
// backslashes and control characters escaped, and so are the characters
// that YAML readers do not take as they are (C1 controls, line and
// paragraph separators, byte-order marks, U+FFFE and U+FFFF).
std::string YamlQuoted(std::string_view text);

// `text` as the value of a mapping key at `indent` spaces: a literal block
// ("|") whose lines are indented two spaces more when every line can stand
// in one (UTF-8 that YamlQuoted need not escape but for tabs, a first line
// that does not begin with a space, a single line feed at the end);
// otherwise YamlQuoted on the key's line.
std::string YamlBlock(std::string_view text, int indent);

}  // namespace gleanwork

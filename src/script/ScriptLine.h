#pragma once

#include <optional>
#include <string_view>

#include "script/CommandTable.h"

namespace gleanwork {

// `c` in upper case when it is an ASCII letter. Keywords are compared in
// upper case, whatever case a script writes them in.
constexpr char ToUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One script line split into its command and its argument. The argument is
// a view into the line: trimmed and, when it began with a double quote,
// without its first and last characters. It is not expanded yet. A command
// that takes a body (see TakesBody) has one when its argument is a text in
// double quotes followed by white space and more: that more, trimmed and
// unquoted as an argument is, is the body, and the text between the quotes
// is the argument.
struct ScriptLine {
    ScriptCommand command = ScriptCommand::kUnknown;
    std::string_view argument;
    std::optional<std::string_view> body;
};

// Splits `line` at its first space character: the part before it, compared
// without regard to letter case, names the command; the part after it,
// trimmed of white space and unquoted, is the argument (and the body).
ScriptLine ParseScriptLine(std::string_view line);

// The name that a BOOKMARK line sets: the rest of the line after its first
// space, trimmed, neither unquoted nor expanded. False for any other line.
bool ReadBookmarkName(std::string_view line, std::string_view& name);

}  // namespace gleanwork

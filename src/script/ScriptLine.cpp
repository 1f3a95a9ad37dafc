#include "script/ScriptLine.h"

#include <algorithm>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

// True when `word`, converted to upper case, equals the upper-case `keyword`.
bool EqualsKeyword(std::string_view word, std::string_view keyword) {
    return std::equal(word.begin(), word.end(), keyword.begin(), keyword.end(),
                      [](char w, char k) { return ToUpperAscii(w) == k; });
}

ScriptCommand CommandNamed(std::string_view word) {
    for (const CommandInfo& info : kScriptCommands) {
        if (EqualsKeyword(word, info.keyword)) {
            return info.command;
        }
    }
    return ScriptCommand::kUnknown;
}

std::string_view Unquoted(std::string_view argument) {
    if (argument.empty() || argument.front() != '"') {
        return argument;
    }
    // The last character goes whatever it is; a lone quote leaves nothing.
    return argument.size() < 2 ? std::string_view() : argument.substr(1, argument.size() - 2);
}

// The position of the double quote that closes the one `text` begins with:
// the first one after it that no backslash escapes; npos when none does.
std::size_t ClosingQuote(std::string_view text) {
    for (std::size_t at = 1; at < text.size(); ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '"') {
            return at;
        }
    }
    return std::string_view::npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads `rest` (trimmed) as a quoted argument followed by a body, into
// `parsed`; false when it is not one.
bool ReadArgumentAndBody(std::string_view rest, ScriptLine& parsed) {
    if (!rest.starts_with('"')) {
        return false;
    }
    const std::size_t close = ClosingQuote(rest);
    if (close == std::string_view::npos || close + 1 >= rest.size() || !IsBlank(rest[close + 1])) {
        return false;
    }
    parsed.argument = rest.substr(1, close - 1);
    parsed.body = Unquoted(TrimWhitespace(rest.substr(close + 1)));
    return true;
}

}  // namespace

ScriptLine ParseScriptLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        return {CommandNamed(line), {}, std::nullopt};
    }
    ScriptLine parsed{CommandNamed(line.substr(0, space)), {}, std::nullopt};
    const std::string_view rest = TrimWhitespace(line.substr(space + 1));
    if (!TakesBody(parsed.command) || !ReadArgumentAndBody(rest, parsed)) {
        parsed.argument = Unquoted(rest);
    }
    return parsed;
}

bool ReadBookmarkName(std::string_view line, std::string_view& name) {
    const std::size_t space = line.find(' ');
    if (CommandNamed(line.substr(0, space)) != ScriptCommand::kBookmark) {
        return false;
    }
    name = space == std::string_view::npos ? std::string_view()
                                           : TrimWhitespace(line.substr(space + 1));
    return true;
}

}  // namespace gleanwork

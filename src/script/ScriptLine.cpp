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

}  // namespace

ScriptLine ParseScriptLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        return {CommandNamed(line), {}};
    }
    return {CommandNamed(line.substr(0, space)), Unquoted(TrimWhitespace(line.substr(space + 1)))};
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

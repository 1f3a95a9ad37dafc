#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// One warning about a script: its line, counted from 1, and what is wrong.
struct ScriptMessage {
    std::size_t line = 0;
    std::string message;

    bool operator==(const ScriptMessage&) const = default;
};

// Reads a script as the interpreter would and warns, in line order, about
// unknown commands (naming the nearest keyword), jumps to bookmarks that no
// line sets, bookmarks set twice, arguments that a command ignores or needs,
// unbalanced quotes and braces, and variables read but never saved. Only
// what holds whatever the variables are is reported. The check changes
// nothing about a run.
std::vector<ScriptMessage> CheckScript(const std::vector<std::string>& script);

// The keyword of the command table nearest to `word` (letter case ignored),
// or empty text when none is near enough to be a likely misspelling.
std::string_view NearestKeyword(std::string_view word);

}  // namespace gleanwork

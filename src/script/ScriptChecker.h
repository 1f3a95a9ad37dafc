#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// One warning about a script: its line and what is wrong.
struct ScriptMessage {
    std::size_t line = 0;
    std::string message;

    bool operator==(const ScriptMessage&) const = default;
};

// Reads a script as the interpreter would and warns, in line order, about
// unknown commands (naming the nearest keyword), jumps to bookmarks that no
// line sets, bookmarks set twice, arguments that a command ignores or needs,
// unbalanced quotes and braces, variables read but never saved and unknown
// value filters. Only what holds whatever the variables are is reported.
// The check changes nothing about a run.
//
// Every line is known by one number, in a message's line and in its text
// alike: its place in the script counted from 1, or, when `numbers` is not
// empty, numbers[place - 1] (its line in an agent file, say; `numbers`
// then has one entry per script line).
std::vector<ScriptMessage> CheckScript(const std::vector<std::string>& script,
                                       std::span<const std::size_t> numbers = {});

// The keyword of the command table nearest to `word` (letter case ignored),
// or empty text when none is near enough to be a likely misspelling.
std::string_view NearestKeyword(std::string_view word);

}  // namespace gleanwork

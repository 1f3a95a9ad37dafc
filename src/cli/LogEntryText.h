#pragma once

#include <cstddef>
#include <string_view>

namespace gleanwork {

// Writes one run-log entry at `out` as one line, ended by a line feed, and
// returns where it ends; there must be room for LongestLogEntry bytes. A line
// break inside the entry cannot pass for the start of another entry: a line
// feed is written as the two characters \n, a carriage return as \r, and a
// backslash as \\ (so that a \n the text itself holds stays apart).
char* WriteLogEntry(char* out, std::string_view entry);

// Writes `text` at `out` escaped as in an entry, without the line feed, and
// returns where it ends: an entry can be written in parts.
char* WriteLogText(char* out, std::string_view text);

// How many bytes WriteLogText writes for `text`.
std::size_t LogTextSize(std::string_view text);

// The most bytes that WriteLogEntry writes for an entry of `size` bytes.
constexpr std::size_t LongestLogEntry(std::size_t size) {
    return 2 * size + 1;
}

}  // namespace gleanwork

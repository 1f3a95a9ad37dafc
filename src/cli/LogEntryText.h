#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// Appends one run-log entry to `out` as one line, ended by a line feed. A line
// break inside the entry cannot pass for the start of another entry: a line
// feed is written as the two characters \n, a carriage return as \r, and a
// backslash as \\ (so that a \n the text itself holds stays apart).
void AppendLogEntry(std::string& out, std::string_view entry);

}  // namespace gleanwork

#pragma once

#include <string>
#include <string_view>

#include "engine/VariableTable.h"

namespace gleanwork {

// Appends the expansion of a script argument to `result`, reading `text`
// from left to right:
// - a backslash starts an escape anywhere, also inside a reference, and the
//   character it gives goes straight to the result: \n, \r and \t give a line
//   feed, a carriage return and a tab; \x and two characters give the
//   character whose code the leading hexadecimal digits of those two spell
//   (0 when there is none); \x with fewer than two characters after it is
//   dropped; any other escaped character stands for itself; a backslash at
//   the very end is dropped;
// - "{" opens a reference that the next "}" closes; the name between them,
//   trimmed, is replaced by the variable's value, or by nothing when there is
//   no such variable; a name that no variable has but that holds "|" names
//   a variable before it and filters after it (see ApplyValueFilters), and
//   gives nothing when a filter is unknown; a second "{" gives the open reference up as plain text
//   and opens a new one; a reference still open at the end stays plain text.
// Returns true when the expansion looked a variable up, that is when its
// result may change with the variables.
bool AppendExpansion(std::string_view text, const VariableTable& variables, std::string& result);

}  // namespace gleanwork

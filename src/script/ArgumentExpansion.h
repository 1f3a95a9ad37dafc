#pragma once

#include <string>
#include <string_view>

#include "script/VariableTable.h"

namespace gleanwork {

// Appends the expansion of a script argument to `result` (the reading is
// ExpansionReader's): plain text as it stands, and for each reference the
// value of the variable it names, or nothing when there is no such variable.
// A name that no variable has but that holds "|" names a variable before it
// and filters after it (see ApplyValueFilters), and gives nothing when a
// filter is unknown.
// Returns true when the expansion looked a variable up, that is when its
// result may change with the variables.
bool AppendExpansion(std::string_view text, const VariableTable& variables, std::string& result);

// What the reference {name} (its name trimmed) stands for in an expansion:
// the value of the variable of that name; else, for a name that holds "|",
// the value of the variable before it (empty when there is none) through the
// filters after it, made in `filtered`. Null when it stands for nothing: no
// such variable, or an unknown filter.
const std::string* ReferenceValue(std::string_view name, const VariableTable& variables,
                                  std::string& filtered);

}  // namespace gleanwork

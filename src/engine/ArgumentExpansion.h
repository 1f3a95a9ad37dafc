#pragma once

#include <string>
#include <string_view>

#include "engine/VariableTable.h"

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

}  // namespace gleanwork

#pragma once

#include <functional>
#include <map>
#include <string>

namespace gleanwork {

// Variables of a run, by exact name; looked up by string_view without copies.
using VariableTable = std::map<std::string, std::string, std::less<>>;

}  // namespace gleanwork

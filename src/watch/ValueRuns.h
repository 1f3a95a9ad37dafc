#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// `values` (ascending) as their runs of consecutive values joined by ",": a
// value alone, two as "a,b", three or more as the first, `through` and the
// last ("Mon..Wed", "1-5"). `name` gives each value's text.
std::string ValueRunsText(const std::vector<int>& values, std::string_view through,
                          const std::function<std::string(int)>& name);

}  // namespace gleanwork

#pragma once

#include <string>
#include <string_view>

#include "watch/OutputComparison.h"

namespace gleanwork {

// The comparison as a unified diff, as diff -u writes it with three lines of
// context: "--- " and `beforeLabel`, "+++ " and `afterLabel`, then a hunk
// for each stretch of changes among the lines that took part (so its line
// numbers count those lines, in the order compared). Empty text when the
// outputs are equal.
std::string UnifiedDiff(const OutputComparison& comparison, std::string_view beforeLabel,
                        std::string_view afterLabel);

}  // namespace gleanwork

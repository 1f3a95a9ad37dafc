#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "watch/LineDiff.h"
#include "watch/LinePattern.h"

namespace gleanwork {

// How two outputs are compared: lines that `ignoredLines` matches take no
// part, and with `anyOrder` the lines are compared as a multiset (in byte
// order), so a list whose order shuffles is unchanged.
struct ComparisonRules {
    const LinePattern* ignoredLines = nullptr;
    bool anyOrder = false;
};

// Two outputs compared line by line. The lines are views into the outputs
// compared, which must outlive this.
struct OutputComparison {
    std::vector<std::string_view> before;  // the lines that took part, as compared
    std::vector<std::string_view> after;
    EditScript script;  // from `before` to `after`
    std::size_t added = 0;
    std::size_t removed = 0;

    bool Equal() const { return added == 0 && removed == 0; }
};

// Compares output `after` with the earlier output `before`. A line is what
// ends with a line feed, or what follows the last one; its bytes are
// compared as they are.
OutputComparison CompareOutputs(std::string_view before, std::string_view after,
                                const ComparisonRules& rules);

}  // namespace gleanwork

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gleanwork {

// One step of an edit script: a line that both lists hold, a line of the
// first list that the second lacks, or a line that the second adds.
enum class LineEdit : std::uint8_t { kSame, kRemoved, kAdded };

// The steps that turn one list of lines into another, in order: each kSame
// and kRemoved takes the next line of the first list, each kSame and kAdded
// the next of the second.
using EditScript = std::vector<LineEdit>;

// An edit script from `before` to `after`, whose lines are given as numbers
// below `distinct` (equal lines, equal numbers). Lines that occur once in
// each list anchor the script where their order allows; the stretches
// between anchors are compared by the O(NP) algorithm of dtl, without the
// lines that the other list lacks. So a change in one place, a list in which
// every line changed and a list whose lines moved all cost little more than
// reading them, and the script is as short as the shortest one in all but
// rare cases.
EditScript DiffLines(std::span<const std::uint32_t> before, std::span<const std::uint32_t> after,
                     std::size_t distinct);

}  // namespace gleanwork

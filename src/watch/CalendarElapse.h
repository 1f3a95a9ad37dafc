#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

#include "watch/CalendarExpression.h"

namespace gleanwork {

// A point in time, in microseconds since 1970 (UTC), as timers count.
using CalendarTime = std::chrono::sys_time<std::chrono::microseconds>;

// The next `count` times after `after` at which `expression` elapses, each
// after the one before, computed as systemd computes them: in local time, in
// UTC, or in the expression's zone. Fewer when it stops elapsing (a date
// that has passed, or one that never comes). Nothing when the times of the
// expression's zone could not be worked out.
std::optional<std::vector<CalendarTime>> NextElapses(const CalendarExpression& expression,
                                                     CalendarTime after, std::size_t count);

}  // namespace gleanwork

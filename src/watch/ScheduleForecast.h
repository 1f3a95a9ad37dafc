#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "watch/CalendarElapse.h"
#include "watch/CalendarExpression.h"

namespace gleanwork {

// The time now, as schedules count it.
CalendarTime CalendarNow();

// When a schedule starts its next runs, or why it starts none.
struct ScheduleForecast {
    std::optional<CalendarExpression> expression;  // none when refused or empty
    std::vector<CalendarTime> runs;  // at most the count asked for, each after the one before
    std::string refusal;             // why the expression is refused; empty when it is not
};

// The next `count` runs after `now` of the SCHEDULE `schedule` (surrounding
// white space left out; empty: none, and no refusal), as this program reads
// calendar expressions. An expression that never elapses after `now` is
// refused too: a timer with it would never run.
ScheduleForecast ForecastSchedule(const std::string& schedule, CalendarTime now, std::size_t count);

}  // namespace gleanwork

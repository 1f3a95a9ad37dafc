#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "watch/CalendarElapse.h"

namespace gleanwork {

// The time now, as schedules count it.
CalendarTime CalendarNow();

// When a schedule starts its next runs, or why it starts none.
struct ScheduleForecast {
    std::vector<CalendarTime> runs;  // at most the count asked for, each after the one before
    std::string refusal;             // why the expression is refused; empty when it is not
};

// The next `count` runs after `now` of the SCHEDULE `schedule` (surrounding
// white space left out; empty: none, and no refusal). A refused expression
// is refused as systemd words it ("Failed to parse calendar specification
// '...': Invalid argument"), with what is wrong in it after that.
ScheduleForecast ForecastSchedule(const std::string& schedule, CalendarTime now, std::size_t count);

}  // namespace gleanwork

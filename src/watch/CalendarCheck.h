#pragma once

#include <optional>
#include <string>

#include "watch/CalendarElapse.h"
#include "watch/CalendarExpression.h"

namespace gleanwork {

// What checking a schedule's expression came to: the expression, or why it
// is refused.
struct CalendarVerdict {
    std::optional<CalendarExpression> expression;
    std::string reason;
};

// `written`, without surrounding white space, checked as a timer's
// OnCalendar= is checked. Where systemd-analyze is installed, its verdict
// decides and its message is the reason; else this program's reading gives
// it. An expression that never elapses after `now` is refused as well: a
// timer with it would never run.
CalendarVerdict CheckCalendarExpression(const std::string& written, CalendarTime now);

}  // namespace gleanwork

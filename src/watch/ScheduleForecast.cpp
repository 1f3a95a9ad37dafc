#include "watch/ScheduleForecast.h"

#include <cstring>

#include "base/TextScan.h"
#include "watch/CalendarExpression.h"

namespace gleanwork {

CalendarTime CalendarNow() {
    return std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
}

ScheduleForecast ForecastSchedule(const std::string& schedule, CalendarTime now,
                                  std::size_t count) {
    const std::string text(TrimWhitespace(schedule));
    if (text.empty()) {
        return {};
    }
    const CalendarParse parse = ParseCalendarExpression(text);
    if (!parse.expression) {
        return {{},
                "Failed to parse calendar specification '" + text +
                    "': " + std::strerror(parse.error) + " (" + parse.reason + ")"};
    }
    std::optional<std::vector<CalendarTime>> runs = NextElapses(*parse.expression, now, count);
    if (!runs) {
        return {{},
                "the times of zone " + parse.expression->timezone +
                    " could not be worked out for '" + text + "'"};
    }
    if (runs->empty()) {
        return {{}, "the calendar expression '" + text + "' never elapses"};
    }
    return {std::move(*runs), {}};
}

}  // namespace gleanwork

#include "watch/ScheduleForecast.h"

#include "base/TextScan.h"

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
    CalendarParse parse = ParseCalendarExpression(text);
    if (!parse.expression) {
        return {{}, {}, "bad calendar expression '" + text + "': " + parse.reason};
    }
    std::optional<std::vector<CalendarTime>> runs = NextElapses(*parse.expression, now, count);
    if (!runs) {
        return {{},
                {},
                "the times of zone " + parse.expression->timezone +
                    " could not be worked out for '" + text + "'"};
    }
    if (runs->empty()) {
        return {{}, {}, "the calendar expression '" + text + "' never elapses"};
    }
    return {std::move(parse.expression), std::move(*runs), {}};
}

}  // namespace gleanwork

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// One element of a calendar field: a value, a range start..stop, or a value
// repeated every `repeat` from start (up to stop, or to the field's end).
// Seconds are held in microseconds, as the fractions they may have.
struct CalendarComponent {
    int start = 0;
    int stop = -1;   // -1: no range
    int repeat = 0;  // 0: no repetition

    auto operator<=>(const CalendarComponent&) const = default;
};

// The elements of one field; empty matches every value.
using CalendarChain = std::vector<CalendarComponent>;

inline constexpr int kMicrosecondsPerSecond = 1'000'000;

// A calendar expression in systemd's syntax (as OnCalendar= of a timer takes
// it), read into its parts and normalized the way systemd normalizes it.
struct CalendarExpression {
    int weekdays = -1;  // bit 0 Monday ... bit 6 Sunday; -1 every day
    CalendarChain year;
    CalendarChain month;
    CalendarChain day;  // counted back from the month's end when endOfMonth
    CalendarChain hour;
    CalendarChain minute;
    CalendarChain microsecond;  // of the minute
    bool endOfMonth = false;    // "~": days count from the last one
    bool utc = false;
    int dst = -1;          // 0 or 1: the local zone's standard or daylight name was given
    std::string timezone;  // a named zone ("Europe/Berlin"); empty for local time or UTC
};

// What reading an expression came to: the expression, or the errno value
// systemd reports for it (EINVAL, ERANGE or ENOBUFS) and the reason in words.
struct CalendarParse {
    std::optional<CalendarExpression> expression;
    int error = 0;
    std::string reason;
};

// Reads `text` as systemd reads a calendar expression: the shorthands
// (minutely ... yearly, quarterly, semiannually), weekday lists and ranges,
// date and time with "*", lists, ranges "..", repetitions "/", "~" for days
// counted from the month's end, fractional seconds, "@" and a Unix time, and
// a trailing " UTC", local zone name or zone of the system's zone database.
// Accepts exactly what systemd accepts.
CalendarParse ParseCalendarExpression(std::string_view text);

// The normalized form systemd prints for `expression`
// ("Mon..Fri *-*-* 06:30:00").
std::string NormalizedCalendarText(const CalendarExpression& expression);

}  // namespace gleanwork

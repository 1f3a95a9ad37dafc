#pragma once

#include <string>
#include <string_view>

#include "watch/CalendarExpression.h"

namespace gleanwork {

// Reads the weekdays, date and time of a calendar expression (what is left
// once its zone is taken off and it is no shorthand) into `expression`, as
// systemd reads them: weekday lists and ranges, then "Y-M-D" or "M-D" ("~"
// before the day counts from the month's end) or "@" and a Unix time, then
// "H:M" or "H:M:S". False, with the errno value systemd gives and the
// reason in words, when the text is no such thing.
bool ReadCalendarParts(std::string_view text, CalendarExpression& expression, int& error,
                       std::string& reason);

}  // namespace gleanwork

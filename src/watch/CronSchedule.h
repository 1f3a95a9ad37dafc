#pragma once

#include <optional>
#include <string>

#include "watch/CalendarExpression.h"

namespace gleanwork {

// A schedule in cron's five fields (minute, hour, day of the month, month,
// day of the week) and the zone they are read in.
struct CronSchedule {
    std::string fields;    // "30 6 * * 1-5"
    std::string timeZone;  // a name of the zone database: "Europe/Berlin", "Etc/UTC"
};

// What translating an expression to cron came to: the schedule, or why
// cron cannot say it.
struct CronTranslation {
    std::optional<CronSchedule> schedule;
    std::string reason;
};

// `expression` in cron's fields. Its zone: the zone it names, "Etc/UTC" for
// UTC, and `localZone` (the local zone's name; empty when unknown) for local
// time. Refused when cron has no equivalent: seconds other than 0, years,
// days counted from the month's end, weekdays and days of the month both
// restricted (cron runs on either, systemd on both), a zone abbreviation,
// or local time in a zone without a name.
CronTranslation TranslateToCron(const CalendarExpression& expression, const std::string& localZone);

// The name of the local zone in the zone database ("Europe/Berlin"), from
// TZ or else /etc/localtime; empty when it has none.
std::string LocalZoneName();

}  // namespace gleanwork

#pragma once

#include <string>

namespace gleanwork {

// The ways the editor offers to start an agent by itself.
enum class ScheduleKind { kNone, kEveryMinutes, kHourly, kDaily, kWeekdays, kCustom };

// A SCHEDULE read as one of those ways. The expressions the editor writes
// for each way are read back as that way; any other is a custom expression.
struct ScheduleChoice {
    ScheduleKind kind = ScheduleKind::kNone;
    int minutes = 15;  // kEveryMinutes: 1 to 59, the runs start at minute 0 of each hour
    int hour = 6;      // kDaily, kWeekdays
    int minute = 30;
    std::string custom;  // kCustom: the expression as written
};

inline constexpr int kMostMinutesApart = 59;

ScheduleChoice ReadScheduleChoice(const std::string& schedule);

// The SCHEDULE of `choice`: "" for none, "*:0/N", "hourly", "HH:MM",
// "Mon..Fri HH:MM", or the custom expression.
std::string ScheduleText(const ScheduleChoice& choice);

}  // namespace gleanwork

#pragma once

#include <QString>
#include <chrono>

namespace gleanwork {

// A time of the history or of a schedule (microseconds since 1970, UTC) as
// the windows show it: in local time, "Tue 2026-12-08 06:30".
QString LocalTimeText(std::chrono::sys_time<std::chrono::microseconds> time);

}  // namespace gleanwork

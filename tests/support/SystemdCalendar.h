#pragma once

#include <string>

namespace gleanwork::test {

// What systemd-analyze says, on the first line of its standard error, when
// it refuses the calendar expression `expression`: systemd's own wording of
// the refusal, which a schedule that systemd decides must repeat.
std::string SystemdCalendarRefusal(const std::string& expression);

}  // namespace gleanwork::test

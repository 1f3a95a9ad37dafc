#include "support/SystemdCalendar.h"

#include <chrono>

#include "watch/ChildProgram.h"

namespace gleanwork::test {

std::string SystemdCalendarRefusal(const std::string& expression) {
    const ProgramOutcome analyzed =
        RunProgram({"systemd-analyze", "calendar", "--", expression}, std::chrono::seconds(10));
    return analyzed.errors.substr(0, analyzed.errors.find('\n'));
}

}  // namespace gleanwork::test

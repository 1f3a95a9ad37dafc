#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "watch/CalendarElapse.h"

namespace gleanwork {

// The limits of a run that a schedule starts, fitted into the slot between
// two starts so that one run ends before the next is due, however late it
// started within what the scheduler allows.
struct RunSlotLimits {
    std::chrono::seconds slot{0};         // the shortest time between two starts
    std::chrono::milliseconds maxRun{0};  // the runner's own limit (--max-seconds)
    std::chrono::seconds hardStop{0};     // when the scheduler ends the run
};

// What fitting the limits came to: the limits, or why no run fits.
struct RunSlotFit {
    std::optional<RunSlotLimits> limits;
    std::string reason;
};

// The longest slot considered: runs of a schedule that starts them less often
// get a day, which is also the runner's longest --max-seconds.
inline constexpr std::chrono::seconds kLongestSlot{86400};

// The shortest time between two of the next elapses of `expression` after
// `from`, at most kLongestSlot (also when it elapses once more or never).
// Nothing when its zone's times could not be worked out.
std::optional<std::chrono::seconds> ShortestSlot(const CalendarExpression& expression,
                                                 CalendarTime from);

// The limits of runs `slot` apart that may start up to `lateStart` after
// their time: the scheduler ends a run at the end of its slot (less the late
// start), and the runner ends it a tenth earlier (at least 1 s and at most a
// minute), so that it ends by itself and logs why. Refused when that leaves
// a run less than 5 s.
RunSlotFit FitRunSlot(std::chrono::seconds slot, std::chrono::seconds lateStart);

// `limit` as the value of --max-seconds: whole seconds, or with the
// milliseconds when there are any ("54", "4.5").
std::string SecondsText(std::chrono::milliseconds limit);

}  // namespace gleanwork

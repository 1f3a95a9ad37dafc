#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// What an alert tells: a check that began to fail, an output that changed,
// runs that came back empty, a success that ends such an incident.
enum class AlertEvent { kFailure, kChange, kEmpty, kRecovery };

// The word for `event` in NOTIFYON and in the alert itself: "failure",
// "change", "empty" or "recovery".
const char* AlertEventWord(AlertEvent event);

// The events an agent's NOTIFYON asks for.
struct NotifyOnChoice {
    std::set<AlertEvent> events;
    std::vector<std::string> unknownWords;  // words of it that name no event

    bool Wants(AlertEvent event) const { return events.count(event) > 0; }
};

// Reads a NOTIFYON value: event words separated by commas or white space, in
// any case; empty asks for none.
NotifyOnChoice ReadNotifyOn(std::string_view text);

// The alert that a run with the outcome word `outcome` sends, given the
// outcome words of the agent's runs before it, newest first, and the events
// asked for; none when it sends none. One alert per incident:
// - "failed" alerts when no run since the last success failed;
// - "empty" alerts when the run before it was empty too and no two empty runs
//   in a row came since the last success;
// - a success ("ok", "changed", "unchanged") after a failure, or after two
//   empty runs in a row when empty runs alert, is a recovery;
// - "changed" alerts as a change, unless it is a recovery that is sent.
// Stopped runs, and words of no outcome, neither begin nor end an incident.
// The runs before need only reach back to the last success.
std::optional<AlertEvent> ChooseAlert(std::string_view outcome,
                                      const std::vector<std::string>& previousOutcomes,
                                      const NotifyOnChoice& wanted);

}  // namespace gleanwork

#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "watch/Alert.h"
#include "watch/AlertRule.h"

namespace gleanwork {

// What showing an alert on the desktop came to.
struct DesktopNotification {
    enum class State {
        kShown,
        kNoDesktop,  // no session bus answers, or no notification server is on it
        kFailed,
    };
    State state = State::kFailed;
    std::uint32_t id = 0;  // the notification server's id for it, when shown
    std::string reason;    // why it was not shown
};

// The action that clicking an alert's notification invokes: the windowed
// program opens the agent's history for it (ActionInvoked with the id).
inline constexpr const char* kAlertNotificationAction = "default";

// How long the notification server may take to answer.
inline constexpr std::chrono::milliseconds kNotificationLimit = std::chrono::seconds(5);

// The body of an alert's notification: the event word, then the run's first
// error, or the counts of lines added and removed when it has none.
std::string NotificationBody(AlertEvent event, const AlertRun& run);

// Shows the alert as a freedesktop notification on the session bus: the
// agent's name as its summary, NotificationBody as its body (escaped where
// the server reads markup), and the action kAlertNotificationAction.
DesktopNotification ShowDesktopNotification(AlertEvent event, const AlertRun& run,
                                            std::chrono::milliseconds limit = kNotificationLimit);

}  // namespace gleanwork

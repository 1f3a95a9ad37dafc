#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/Alert.h"
#include "watch/AlertCommand.h"
#include "watch/AlertRule.h"
#include "watch/AlertWebhook.h"

namespace gleanwork {

// How a run's alert goes out besides the desktop.
struct AlertChannels {
    WebPost post;  // posts a webhook's request; empty where posting is not available
    std::chrono::milliseconds commandLimit = kAlertCommandLimit;
};

// What sending a run's alert came to.
struct AlertReport {
    std::optional<AlertEvent> event;  // the alert sent; none when the run sends none
    std::vector<std::string> errors;  // each failed delivery, the text of an error line
    std::vector<std::string> notes;   // plain log lines: a NOTIFYON word that names no event,
                                      // a desktop notification that failed
    std::optional<std::uint32_t> notificationId;  // of the desktop notification shown
};

// Sends the alert, if any, of the run `run` of `agent`, given the outcome
// words of the agent's runs before it, newest first (ChooseAlert): to the
// desktop, to the agent's NOTIFYCOMMAND and to its NOTIFYURL. A desktop
// without a session bus or a notification server is passed over quietly.
AlertReport SendRunAlerts(const AgentDefinition& agent, const AlertRun& run,
                          const std::vector<std::string>& previousOutcomes,
                          const AlertChannels& channels);

}  // namespace gleanwork

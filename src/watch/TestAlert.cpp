#include "watch/TestAlert.h"

namespace gleanwork {

namespace {

std::string Outcome(const char* channel, const AlertDelivery& delivery) {
    return delivery.delivered ? std::string(channel) + ": delivered"
                              : std::string(channel) + ": " + delivery.reason;
}

}  // namespace

std::vector<std::string> SendTestAlert(const AgentDefinition& agent,
                                       const AlertChannels& channels) {
    const AlertRun run{agent.name, "failed", "ERROR: This is a test alert; the agent is fine.",
                       0,          0,        ""};
    std::vector<std::string> lines;
    if (!agent.NOTIFYCOMMAND.empty()) {
        lines.push_back(
            Outcome("Command", DeliverByCommand(agent.NOTIFYCOMMAND, AlertEvent::kFailure, run,
                                                channels.commandLimit)));
    }
    if (!agent.NOTIFYURL.empty()) {
        lines.push_back(Outcome("Webhook", DeliverByWebhook(agent.NOTIFYURL, AlertEvent::kFailure,
                                                            run, channels.post)));
    }
    if (lines.empty()) {
        lines.emplace_back("Nothing sent: write a command or a webhook first.");
    }
    return lines;
}

}  // namespace gleanwork

#include "watch/AlertDispatch.h"

#include "watch/DesktopNotification.h"
#include "watch/NotificationLedger.h"

namespace gleanwork {

namespace {

// The note for a NOTIFYON word that names no event.
std::string UnknownWordNote(const std::string& word) {
    return "NOTIFYON: \"" + word +
           "\" names no event (the events are failure, change, empty and recovery)";
}

void AddFailure(const AlertDelivery& delivery, AlertReport& report) {
    if (!delivery.delivered) {
        report.errors.push_back(delivery.reason);
    }
}

}  // namespace

AlertReport SendRunAlerts(const AgentDefinition& agent, const AlertRun& run,
                          const std::vector<std::string>& previousOutcomes,
                          const AlertChannels& channels) {
    AlertReport report;
    const NotifyOnChoice wanted = ReadNotifyOn(agent.NOTIFYON);
    for (const std::string& word : wanted.unknownWords) {
        report.notes.push_back(UnknownWordNote(word));
    }
    report.event = ChooseAlert(run.outcome, previousOutcomes, wanted);
    if (!report.event) {
        return report;
    }
    const DesktopNotification desktop = ShowDesktopNotification(*report.event, run);
    if (desktop.state == DesktopNotification::State::kShown) {
        report.notificationId = desktop.id;
        RememberNotification(desktop.id, agent.name);
    } else if (desktop.state == DesktopNotification::State::kFailed) {
        report.notes.push_back(desktop.reason);
    }
    if (!agent.NOTIFYCOMMAND.empty()) {
        AddFailure(DeliverByCommand(agent.NOTIFYCOMMAND, *report.event, run, channels.commandLimit),
                   report);
    }
    if (!agent.NOTIFYURL.empty()) {
        AddFailure(DeliverByWebhook(agent.NOTIFYURL, *report.event, run, channels.post), report);
    }
    return report;
}

}  // namespace gleanwork

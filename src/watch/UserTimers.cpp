#include "watch/UserTimers.h"

#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "base/TextScan.h"
#include "storage/AtomicFile.h"
#include "watch/CalendarCheck.h"
#include "watch/ChildProgram.h"
#include "watch/UnitName.h"

namespace gleanwork {

namespace {

constexpr std::chrono::seconds kSystemctlTimeLimit{30};

ProgramOutcome Systemctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> call{"systemctl", "--user"};
    call.insert(call.end(), arguments.begin(), arguments.end());
    return RunProgram(call, kSystemctlTimeLimit);
}

// Why a systemctl call failed, in one line.
std::string FailureOf(const ProgramOutcome& outcome) {
    if (!outcome.reason.empty()) {
        return outcome.reason;
    }
    const std::string_view errors = TrimWhitespace(outcome.errors);
    return std::string(errors.substr(0, errors.find('\n')));
}

std::string UserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
    return found == nullptr ? std::string() : std::string(found->pw_name);
}

// A note when the user's timers run only while they are logged in.
void NoteLingering(std::vector<std::string>& notes) {
    const std::string user = UserName();
    std::error_code missing;
    if (!user.empty() && !std::filesystem::exists("/var/lib/systemd/linger/" + user, missing)) {
        notes.push_back("runs happen only while " + user +
                        " is logged in; `loginctl enable-linger " + user +
                        "` lets them run while logged out too");
    }
}

// Has the service manager take the timer `timer`, or, when none answers,
// enables it for the manager of the next session.
void EnableTimer(const std::string& timer, ScheduleReport& report) {
    const ProgramOutcome reload = Systemctl({"daemon-reload"});
    if (!reload.started) {
        report.notes.push_back(FailureOf(reload) + ": nothing starts the timer " + timer);
        return;
    }
    if (reload.Succeeded()) {
        const ProgramOutcome enable = Systemctl({"enable", "--", timer});
        const ProgramOutcome restart = Systemctl({"restart", "--", timer});
        if (!enable.Succeeded() || !restart.Succeeded()) {
            report.done = false;
            report.error = "systemctl --user cannot start the timer " + timer + ": " +
                           FailureOf(enable.Succeeded() ? restart : enable);
        }
        NoteLingering(report.notes);
        return;
    }
    const ProgramOutcome enable = Systemctl({"enable", "--", timer});
    report.notes.push_back(
        "no user service manager answers (systemctl --user: " + FailureOf(reload) + ")");
    report.notes.push_back(
        enable.Succeeded()
            ? "the timer is enabled and starts with the next login session; to start it now, "
              "run in a session: systemctl --user daemon-reload && systemctl --user start '" +
                  timer + "'"
            : "the timer could not be enabled either: " + FailureOf(enable));
    NoteLingering(report.notes);
}

ScheduleReport WriteUnits(const AgentDefinition& agent, const TimerSetup& setup, CalendarTime now) {
    ScheduleReport report;
    const CalendarVerdict verdict = CheckCalendarExpression(agent.SCHEDULE, now);
    if (!verdict.expression) {
        report.error = verdict.reason;
        return report;
    }
    const std::optional<std::chrono::seconds> slot = ShortestSlot(*verdict.expression, now);
    const RunSlotFit fit = slot ? FitRunSlot(*slot, TimerRandomDelay(*slot) + kTimerAccuracy)
                                : RunSlotFit{std::nullopt, "its times cannot be worked out"};
    if (!fit.limits) {
        report.error = "the schedule '" + agent.SCHEDULE + "' cannot run the agent: " + fit.reason;
        return report;
    }
    const AgentUnits units = MakeAgentUnits(agent, *fit.limits, setup);
    std::error_code failed;
    std::filesystem::create_directories(setup.unitFolder, failed);
    for (const auto& [name, text] :
         {std::pair{units.serviceName, units.service}, std::pair{units.timerName, units.timer}}) {
        if (failed || !WriteFileAtomically(setup.unitFolder + "/" + name, text)) {
            report.error = "cannot write the unit " + setup.unitFolder + "/" + name;
            return report;
        }
    }
    report.done = true;
    EnableTimer(units.timerName, report);
    return report;
}

}  // namespace

ScheduleReport RemoveAgentSchedule(const std::string& name, const TimerSetup& setup) {
    ScheduleReport report;
    const std::string timer = AgentUnitName(name, "timer");
    const std::vector<std::string> files{setup.unitFolder + "/" + timer,
                                         setup.unitFolder + "/" + AgentUnitName(name, "service")};
    std::error_code failed;
    if (!std::filesystem::exists(files[0], failed) && !std::filesystem::exists(files[1], failed)) {
        report.done = true;
        return report;
    }
    const ProgramOutcome reload = Systemctl({"daemon-reload"});
    const ProgramOutcome disable = reload.Succeeded() ? Systemctl({"disable", "--now", "--", timer})
                                                      : Systemctl({"disable", "--", timer});
    if (disable.started && !disable.Succeeded()) {
        report.notes.push_back("systemctl --user cannot disable the timer " + timer + ": " +
                               FailureOf(disable));
    }
    for (const std::string& file : files) {
        std::filesystem::remove(file, failed);
        if (failed) {
            report.error = "cannot remove the unit " + file + ": " + failed.message();
            return report;
        }
    }
    if (reload.Succeeded()) {
        Systemctl({"daemon-reload"});
    }
    report.done = true;
    return report;
}

ScheduleReport UpdateAgentSchedule(const AgentDefinition& agent, const TimerSetup& setup,
                                   CalendarTime now) {
    if (TrimWhitespace(agent.SCHEDULE).empty()) {
        return RemoveAgentSchedule(agent.name, setup);
    }
    return WriteUnits(agent, setup, now);
}

ScheduleReport RenameAgentSchedule(const std::string& oldName, const AgentDefinition& agent,
                                   const TimerSetup& setup, CalendarTime now) {
    if (oldName != agent.name) {
        ScheduleReport removed = RemoveAgentSchedule(oldName, setup);
        if (!removed.done) {
            return removed;
        }
    }
    return UpdateAgentSchedule(agent, setup, now);
}

}  // namespace gleanwork

#include "watch/ScheduleUnits.h"

#include <algorithm>

#include "base/TextScan.h"
#include "watch/UnitName.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

// `name` for a Description= line: itself when it is UTF-8, its escaped form
// when not; control characters as spaces and "%" doubled.
std::string DescribedName(const std::string& name) {
    std::string described;
    for (const char c : IsUtf8(name) ? name : SystemdEscape(name)) {
        described += c == '%'                               ? "%%"
                     : static_cast<unsigned char>(c) < 0x20 ? " "
                                                            : std::string(1, c);
    }
    return described;
}

std::string ServiceText(const AgentDefinition& agent, const RunSlotLimits& limits,
                        const TimerSetup& setup) {
    return "# Runs the Gleanwork agent on its schedule. Written by Gleanwork each time the\n"
           "# agent is saved, and removed with its schedule: edit the agent, not this file.\n"
           "[Unit]\n"
           "Description=Gleanwork agent " +
           DescribedName(agent.name) +
           "\n"
           "Documentation=man:gleanwork-run(1)\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "Environment=" +
           UnitQuoted("GLEANWORK_INSTALLDIR=" + setup.installFolder, false) + "\n" +
           "ExecStart=" + UnitQuoted(setup.runner, true) + " --max-seconds " +
           SecondsText(limits.maxRun) + " -- " + UnitQuoted(agent.name, true) + "\n" +
           "Nice=" + std::to_string(kScheduledNice) + "\n" +
           "TimeoutStartSec=" + std::to_string(limits.hardStop.count()) + "\n";
}

std::string TimerText(const AgentDefinition& agent, const RunSlotLimits& limits) {
    std::string calendar(TrimWhitespace(agent.SCHEDULE));
    std::string escaped;
    for (const char c : calendar) {
        escaped += c == '%' ? "%%" : std::string(1, c);
    }
    return "# The schedule of the Gleanwork agent. Written by Gleanwork each time the agent\n"
           "# is saved, and removed with its schedule: edit the agent, not this file.\n"
           "[Unit]\n"
           "Description=Schedule of the Gleanwork agent " +
           DescribedName(agent.name) +
           "\n"
           "\n"
           "[Timer]\n"
           "OnCalendar=" +
           escaped +
           "\n"
           "Persistent=true\n"
           "RandomizedDelaySec=" +
           std::to_string(TimerRandomDelay(limits.slot).count()) +
           "\n"
           "AccuracySec=" +
           std::to_string(kTimerAccuracy.count()) +
           "s\n"
           "\n"
           "[Install]\n"
           "WantedBy=timers.target\n";
}

}  // namespace

std::chrono::seconds TimerRandomDelay(std::chrono::seconds slot) {
    return std::min<std::chrono::seconds>(slot / 20, std::chrono::minutes(5));
}

AgentUnits MakeAgentUnits(const AgentDefinition& agent, const RunSlotLimits& limits,
                          const TimerSetup& setup) {
    return {AgentUnitName(agent.name, "service"), ServiceText(agent, limits, setup),
            AgentUnitName(agent.name, "timer"), TimerText(agent, limits)};
}

std::string UnitQuoted(std::string_view text, bool forCommand) {
    const bool utf8 = IsUtf8(text);
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += {'\\', c};
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8)) {
            quoted += {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
        } else if (c == '%' || (c == '$' && forCommand)) {
            quoted += {c, c};
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

}  // namespace gleanwork

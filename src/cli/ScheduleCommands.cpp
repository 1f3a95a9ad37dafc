#include "cli/ScheduleCommands.h"

#include <time.h>

#include <array>
#include <cstdlib>
#include <string>

#include "base/TextScan.h"
#include "storage/AgentCatalogue.h"
#include "watch/CronSchedule.h"
#include "watch/UnitName.h"
#include "watch/UserTimerSetup.h"
#include "watch/UserTimers.h"

namespace gleanwork {

namespace {

CalendarTime Now() {
    return std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
}

// `time` in local time as ISO 8601 with the zone's offset:
// "2026-12-08T06:30:00+01:00".
std::string LocalIsoTime(CalendarTime time) {
    const time_t seconds =
        std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count();
    struct tm fields {};
    ::localtime_r(&seconds, &fields);
    std::array<char, 64> text{};
    const std::size_t length =
        std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &fields);
    const long offset = std::labs(fields.tm_gmtoff) / 60;
    std::snprintf(text.data() + length, text.size() - length, "%c%02ld:%02ld",
                  fields.tm_gmtoff < 0 ? '-' : '+', offset / 60, offset % 60);
    return text.data();
}

// `text` as one field of a tab-separated line: a tab as \t, a backslash as \\.
std::string Field(const std::string& text) {
    std::string field;
    for (const char c : text) {
        field += c == '\t' ? "\\t" : c == '\\' ? "\\\\" : std::string(1, c);
    }
    return field;
}

// When the agent's SCHEDULE next starts a run, or why it never does.
std::string NextRunText(const std::string& schedule, bool& bad) {
    const CalendarParse parse = ParseCalendarExpression(TrimWhitespace(schedule));
    if (!parse.expression) {
        bad = true;
        return "bad calendar expression: " + parse.reason;
    }
    const auto next = NextElapses(*parse.expression, Now(), 1);
    if (!next || next->empty()) {
        bad = true;
        return next ? "never" : "its zone's times cannot be worked out";
    }
    return LocalIsoTime(next->front());
}

}  // namespace

int ApplyAgentSchedule(const AgentDefinition& agent, std::FILE* out, std::FILE* errors) {
    std::string reason;
    const std::optional<TimerSetup> setup = MakeUserTimerSetup(reason);
    const ScheduleReport report =
        setup ? UpdateAgentSchedule(agent, *setup, Now()) : ScheduleReport{false, reason, {}};
    for (const std::string& note : report.notes) {
        std::fprintf(errors, "gleanwork-run: note: %s\n", note.c_str());
    }
    if (!report.done) {
        std::fprintf(errors, "gleanwork-run: %s\n", report.error.c_str());
        return 1;
    }
    if (TrimWhitespace(agent.SCHEDULE).empty()) {
        std::fprintf(out, "%s has no schedule: its units are removed\n", agent.name.c_str());
        return 0;
    }
    bool bad = false;
    for (const char* kind : {"service", "timer"}) {
        std::fprintf(out, "wrote %s/%s\n", setup->unitFolder.c_str(),
                     AgentUnitName(agent.name, kind).c_str());
    }
    std::fprintf(out, "next run: %s\n", NextRunText(agent.SCHEDULE, bad).c_str());
    return 0;
}

int PrintCronJob(const RunnerOptions& options, const AgentDefinition& agent, std::FILE* out,
                 std::FILE* errors) {
    CronJobSettings settings = options.kubernetes;
    settings.maxSourceBytes = options.limits.maxSourceBytes;
    settings.localZone = LocalZoneName();
    const CronJobManifest manifest = MakeCronJobManifest(agent, settings, Now());
    for (const std::string& note : manifest.notes) {
        std::fprintf(errors, "gleanwork-run: note: %s\n", note.c_str());
    }
    if (manifest.yaml.empty()) {
        std::fprintf(errors, "gleanwork-run: %s\n", manifest.error.c_str());
        return 1;
    }
    std::fputs(manifest.yaml.c_str(), out);
    return 0;
}

int ListSchedules(std::FILE* out) {
    AgentCatalogue catalogue;
    catalogue.LoadCatalogue();
    bool bad = false;
    for (std::size_t at = 0; at < catalogue.Count(); ++at) {
        const AgentDefinition& agent = catalogue.At(at);
        if (!TrimWhitespace(agent.SCHEDULE).empty()) {
            std::fprintf(out, "%s\t%s\t%s\n", Field(agent.name).c_str(),
                         Field(agent.SCHEDULE).c_str(),
                         Field(NextRunText(agent.SCHEDULE, bad)).c_str());
        }
    }
    return bad ? 1 : 0;
}

}  // namespace gleanwork

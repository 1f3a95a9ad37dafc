#include "watch/CalendarCheck.h"

#include <chrono>

#include "base/TextScan.h"
#include "watch/ChildProgram.h"
#include "watch/ScheduleForecast.h"

namespace gleanwork {

namespace {

constexpr std::chrono::seconds kAnalyzeTimeLimit{10};

// The first line of `text`, without surrounding white space.
std::string FirstLine(const std::string& text) {
    return std::string(TrimWhitespace(std::string_view(text).substr(0, text.find('\n'))));
}

}  // namespace

CalendarVerdict CheckCalendarExpression(const std::string& written, CalendarTime now) {
    const std::string text(TrimWhitespace(written));
    const ProgramOutcome systemd =
        RunProgram({"systemd-analyze", "calendar", "--", text}, kAnalyzeTimeLimit);
    if (systemd.started && systemd.exitStatus != 0 && !FirstLine(systemd.errors).empty()) {
        return {std::nullopt, FirstLine(systemd.errors)};
    }
    if (text.empty()) {
        return {std::nullopt, "no calendar expression"};
    }
    ScheduleForecast forecast = ForecastSchedule(text, now, 1);
    return {std::move(forecast.expression), std::move(forecast.refusal)};
}

}  // namespace gleanwork

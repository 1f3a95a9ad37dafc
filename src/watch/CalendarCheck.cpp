#include "watch/CalendarCheck.h"

#include <chrono>

#include "base/TextScan.h"
#include "watch/ChildProgram.h"

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
    CalendarParse parse = ParseCalendarExpression(text);
    const ProgramOutcome systemd =
        RunProgram({"systemd-analyze", "calendar", "--", text}, kAnalyzeTimeLimit);
    if (systemd.started && systemd.exitStatus != 0 && !FirstLine(systemd.errors).empty()) {
        return {std::nullopt, FirstLine(systemd.errors)};
    }
    if (!parse.expression) {
        return {std::nullopt, "bad calendar expression '" + text + "': " + parse.reason};
    }
    const auto next = NextElapses(*parse.expression, now, 1);
    if (!next) {
        return {std::nullopt, "the times of zone " + parse.expression->timezone +
                                  " could not be worked out for '" + text + "'"};
    }
    if (next->empty()) {
        return {std::nullopt, "the calendar expression '" + text + "' never elapses"};
    }
    return {std::move(parse.expression), {}};
}

}  // namespace gleanwork

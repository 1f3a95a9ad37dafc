#include <gtest/gtest.h>
#include <time.h>

#include <array>
#include <sstream>

#include "base/SystemReason.h"
#include "support/CaseFile.h"
#include "support/TempFolder.h"
#include "watch/CalendarElapse.h"
#include "watch/ChildProgram.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;

// A zone and a time (UTC) to compute the next elapses from.
struct Context {
    const char* zone;
    const char* base;
};
constexpr std::array<Context, 4> kContexts{{
    {"Europe/Berlin", "2026-03-28 12:00:00"},     // the night its clocks go forward
    {"Europe/Berlin", "2026-10-24 22:30:00"},     // the night they go back
    {"America/New_York", "2028-02-27 10:00:00"},  // a leap day ahead
    {"UTC", "2026-12-31 23:59:59"},
}};
constexpr std::size_t kIterations = 6;

CalendarTime UtcTime(const std::string& text) {
    struct tm fields {};
    ::strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &fields);
    return CalendarTime(std::chrono::seconds(::timegm(&fields)));
}

std::string UtcText(CalendarTime time) {
    const time_t seconds =
        std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count();
    struct tm fields {};
    ::gmtime_r(&seconds, &fields);
    std::array<char, 64> text{};
    return std::string(
        text.data(), std::strftime(text.data(), text.size(), "%a %Y-%m-%d %H:%M:%S UTC", &fields));
}

// What a reader made of an expression: its normalized form and next
// elapses (in UTC), or the reason it refused it.
struct Reading {
    std::string normalized;
    std::vector<std::string> elapses;
    std::string refusal;

    bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& reading, std::ostream* out) {
    *out << (reading.refusal.empty() ? reading.normalized : "refused: " + reading.refusal);
    for (const std::string& elapse : reading.elapses) {
        *out << "\n    " << elapse;
    }
}

Reading SystemdReading(const std::string& expression, const Context& context) {
    const ProgramOutcome run =
        RunProgram({"systemd-analyze", "calendar", "--iterations=" + std::to_string(kIterations),
                    "--base-time=" + std::string(context.base) + " UTC", "--", expression},
                   10s);
    Reading reading;
    if (run.exitStatus != 0) {
        const std::string text = run.errors.substr(run.errors.rfind("': ") + 3);
        reading.refusal = text.substr(0, text.find('\n'));
        return reading;
    }
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": ");
        const std::size_t first = line.find_first_not_of(' ');
        const std::string key = line.substr(first, colon - first);
        const std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
        if (key.ends_with("Normalized form")) {
            reading.normalized = value;
        } else if ((key.ends_with("Next elapse") || key.starts_with("Iter.")) && value != "never") {
            reading.elapses.push_back(value);
        } else if (key.ends_with("(in UTC)")) {
            reading.elapses.back() = value;
        }
    }
    return reading;
}

Reading OwnReading(const std::string& expression, const Context& context) {
    const CalendarParse parse = ParseCalendarExpression(expression);
    if (!parse.expression) {
        EXPECT_FALSE(parse.reason.empty()) << expression;
        return {{}, {}, SystemReason(parse.error)};
    }
    Reading reading{NormalizedCalendarText(*parse.expression), {}, {}};
    const auto times = NextElapses(*parse.expression, UtcTime(context.base), kIterations);
    for (const CalendarTime time : times.value()) {
        reading.elapses.push_back(UtcText(time));
    }
    return reading;
}

TEST(CalendarExpression, ReadsNormalizesAndElapsesAsSystemdDoes) {
    if (!RunProgram({"systemd-analyze", "--version"}, 10s).Succeeded()) {
        GTEST_SKIP() << "systemd-analyze is not installed";
    }
    std::vector<std::string> errors;
    const Table rows = ReadTable(GLEANWORK_TEST_DATA "/watch/calendar.txt", "expressions", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    for (const Context& context : kContexts) {
        {
            const ScopedEnvironment zone("TZ", context.zone);
            ::tzset();
            for (const auto& row : rows) {
                EXPECT_EQ(OwnReading(row.at(0), context), SystemdReading(row.at(0), context))
                    << row.at(0) << " in " << context.zone << " after " << context.base;
            }
        }
        ::tzset();
    }
}

}  // namespace
}  // namespace gleanwork::test

#include "watch/CronSchedule.h"

#include <unistd.h>

#include <bitset>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "watch/ValueRuns.h"

namespace gleanwork {

namespace {

// The values of one field, each bit a value.
using FieldValues = std::bitset<64>;

FieldValues ValuesOf(const CalendarChain& chain, int from, int to) {
    FieldValues values;
    for (int value = from; chain.empty() && value <= to; ++value) {
        values.set(static_cast<std::size_t>(value));
    }
    for (const CalendarComponent& part : chain) {
        const int last = part.stop >= 0 ? part.stop : part.repeat > 0 ? to : part.start;
        for (int value = part.start; value <= std::min(last, to);
             value += std::max(part.repeat, 1)) {
            values.set(static_cast<std::size_t>(value));
        }
    }
    return values;
}

bool IsEvery(const FieldValues& values, int from, int to) {
    return values.count() == static_cast<std::size_t>(to - from + 1);
}

// A cron field for `values` of a field that runs from `from` to `to`: "*",
// a repetition "*/s" or "a-b/s", or a list of values and ranges.
std::string FieldText(const FieldValues& values, int from, int to) {
    if (IsEvery(values, from, to)) {
        return "*";
    }
    std::vector<int> list;
    for (int value = from; value <= to; ++value) {
        if (values.test(static_cast<std::size_t>(value))) {
            list.push_back(value);
        }
    }
    const int step = list.size() >= 3 ? list[1] - list[0] : 0;
    bool evenSteps = step > 1;
    for (std::size_t at = 2; evenSteps && at < list.size(); ++at) {
        evenSteps = list[at] - list[at - 1] == step;
    }
    if (!evenSteps) {
        return ValueRunsText(list, "-", [](int value) { return std::to_string(value); });
    }
    if (list.front() == from && list.back() + step > to) {
        return "*/" + std::to_string(step);
    }
    return std::to_string(list.front()) + "-" + std::to_string(list.back()) + "/" +
           std::to_string(step);
}

// The days of the week in cron's numbers: Sunday 0, Monday 1 ... Saturday 6.
FieldValues CronWeekdays(int weekdays) {
    FieldValues values;
    for (int day = 0; day < 7; ++day) {
        if (weekdays < 0 || (weekdays & (1 << day)) != 0) {
            values.set(static_cast<std::size_t>((day + 1) % 7));
        }
    }
    return values;
}

CronTranslation Refuse(const std::string& reason) {
    return {std::nullopt, "cron cannot say " + reason};
}

}  // namespace

CronTranslation TranslateToCron(const CalendarExpression& e, const std::string& localZone) {
    if (e.microsecond != CalendarChain{{0}}) {
        return Refuse("seconds other than 0: it counts whole minutes");
    }
    if (!e.year.empty()) {
        return Refuse("years: it has no field for them");
    }
    if (e.endOfMonth) {
        return Refuse("days counted from the month's end (\"~\")");
    }
    const FieldValues days = ValuesOf(e.day, 1, 31);
    const FieldValues weekdays = CronWeekdays(e.weekdays);
    if (!IsEvery(days, 1, 31) && !IsEvery(weekdays, 0, 6)) {
        return Refuse(
            "days of the month and weekdays together: it runs on either, systemd only on both");
    }
    if (e.dst >= 0) {
        return Refuse("a zone abbreviation: name the zone (as in \"daily Europe/Berlin\")");
    }
    const std::string zone = e.utc ? "Etc/UTC" : !e.timezone.empty() ? e.timezone : localZone;
    if (zone.empty()) {
        return Refuse(
            "local time here: the local zone has no name; add one to the expression (as in "
            "\"daily Europe/Berlin\" or \"daily UTC\")");
    }
    CronSchedule schedule;
    schedule.fields = FieldText(ValuesOf(e.minute, 0, 59), 0, 59) + " " +
                      FieldText(ValuesOf(e.hour, 0, 23), 0, 23) + " " + FieldText(days, 1, 31) +
                      " " + FieldText(ValuesOf(e.month, 1, 12), 1, 12) + " " +
                      FieldText(weekdays, 0, 6);
    schedule.timeZone = zone;
    return {std::move(schedule), {}};
}

std::string LocalZoneName() {
    const std::filesystem::path database = "/usr/share/zoneinfo";
    std::string zone;
    if (const char* tz = std::getenv("TZ"); tz != nullptr) {
        zone = tz[0] == ':' ? tz + 1 : *tz == '\0' ? "Etc/UTC" : tz;
    } else {
        std::error_code failed;
        const std::filesystem::path link = std::filesystem::read_symlink("/etc/localtime", failed);
        const std::filesystem::path target =
            (std::filesystem::path("/etc") / link).lexically_normal();
        zone = failed ? std::string() : target.lexically_relative(database).string();
    }
    const bool named = !zone.empty() && zone.front() != '/' &&
                       zone.find("..") == std::string::npos &&
                       ::access((database / zone).c_str(), R_OK) == 0;
    return named ? zone : std::string();
}

}  // namespace gleanwork

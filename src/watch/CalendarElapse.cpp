#include "watch/CalendarElapse.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/FileDescriptor.h"
#include "watch/ChildProgram.h"

namespace gleanwork {

namespace {

constexpr int kLastYear = 2199;
// A search that has not settled after this many steps never will.
constexpr int kMostSteps = 1000;
// The last moment of year 9999: systemd computes no elapse after it.
constexpr std::int64_t kLatestStart = 253402300799999999;
// The longest a child computing the times of a zone may take.
constexpr std::chrono::seconds kZoneTimeLimit{5};

// The field levels of a search, from the year down; below the minute come
// the seconds.
enum Level { kYear, kMonth, kDay, kHour, kMinute };

time_t ToTime(struct tm& fields, bool utc) {
    return utc ? ::timegm(&fields) : ::mktime(&fields);
}

int& FieldAt(struct tm& fields, int level) {
    switch (level) {
        case kYear:
            return fields.tm_year;
        case kMonth:
            return fields.tm_mon;
        case kDay:
            return fields.tm_mday;
        case kHour:
            return fields.tm_hour;
        default:
            return fields.tm_min;
    }
}

// What turns a field of `struct tm` into the value a calendar names.
int FieldOffset(int level) {
    return level == kYear ? 1900 : level == kMonth ? 1 : 0;
}

const CalendarChain& ChainAt(const CalendarExpression& e, int level) {
    const std::array<const CalendarChain*, 5> chains{&e.year, &e.month, &e.day, &e.hour, &e.minute};
    return *chains[static_cast<std::size_t>(level)];
}

// Sets every field below `level` to its first value.
void ResetBelow(struct tm& fields, int& micro, int level) {
    fields.tm_mon = level < kMonth ? 0 : fields.tm_mon;
    fields.tm_mday = level < kDay ? 1 : fields.tm_mday;
    fields.tm_hour = level < kHour ? 0 : fields.tm_hour;
    fields.tm_min = level < kMinute ? 0 : fields.tm_min;
    fields.tm_sec = 0;
    micro = 0;
}

// The day of the month of `at` that lies `fromEnd` days before the day after
// its last one (1: the last day), or -1 when that is in another month.
int DayFromMonthEnd(const struct tm& at, bool utc, int fromEnd) {
    struct tm probe = at;
    probe.tm_mon++;
    probe.tm_mday = 1 - fromEnd;
    if (ToTime(probe, utc) < 0 || probe.tm_mon != at.tm_mon) {
        return -1;
    }
    return probe.tm_mday;
}

// Moves `value` to the first value of `chain` at or after it: 1 when it
// moved, 0 when it already matched, -1 when no value of the chain follows.
int MatchChain(const CalendarExpression& e, const CalendarChain& chain, const struct tm& at,
               int& value) {
    if (chain.empty()) {
        return 0;
    }
    const bool fromEnd = e.endOfMonth && &chain == &e.day;
    std::optional<int> first;
    for (const CalendarComponent& part : chain) {
        int start = part.start;
        int stop = part.stop;
        if (fromEnd) {
            start = DayFromMonthEnd(at, e.utc, part.start);
            stop = DayFromMonthEnd(at, e.utc, part.stop);
            if (stop > 0) {
                std::swap(start, stop);
            }
        }
        if (start >= value) {
            first = std::min(first.value_or(start), start);
        } else if (part.repeat > 0) {
            const int next =
                start + part.repeat * ((value - start + part.repeat - 1) / part.repeat);
            if ((!first || next < *first) && (stop < 0 || next <= stop)) {
                first = next;
            }
        }
    }
    if (!first) {
        return -1;
    }
    const int moved = value != *first ? 1 : 0;
    value = *first;
    return moved;
}

// 1 when `fields` name a time that exists; 0 when they did not and now hold
// the next time that does; -1 past the last year or when the time would go
// back.
int CheckExists(struct tm& fields, bool utc) {
    if (fields.tm_year + 1900 > kLastYear) {
        return -1;
    }
    struct tm real = fields;
    if (ToTime(real, utc) < 0) {
        return -1;
    }
    int order = 0;
    for (int level = kYear; level <= kMinute && order == 0; ++level) {
        order = (FieldAt(real, level) > FieldAt(fields, level)) -
                (FieldAt(real, level) < FieldAt(fields, level));
        if (order != 0 && level < kMinute) {
            FieldAt(real, level + 1) = level + 1 == kDay ? 1 : 0;
        } else if (order != 0) {
            real.tm_sec = 0;
        }
    }
    if (order == 0) {
        order = (real.tm_sec > fields.tm_sec) - (real.tm_sec < fields.tm_sec);
    }
    if (order < 0) {
        return -1;
    }
    if (order > 0) {
        fields = real;
    }
    return order == 0 ? 1 : 0;
}

bool MatchesWeekday(int weekdays, const struct tm& fields, bool utc) {
    if (weekdays < 0 || weekdays >= 127) {
        return true;
    }
    struct tm real = fields;
    if (ToTime(real, utc) < 0) {
        return false;
    }
    const int day = real.tm_wday == 0 ? 6 : real.tm_wday - 1;
    return (weekdays & (1 << day)) != 0;
}

// Moves `fields` and `micro` to the first time at or after them that the
// expression matches, the way systemd searches: field by field from the
// year down, starting over whenever a field overflows or the time does not
// exist. False when there is none.
bool FindNext(const CalendarExpression& e, struct tm& fields, int& micro) {
    struct tm c = fields;
    int usec = micro;
    for (int step = 0; step < kMostSteps; ++step) {
        ToTime(c, e.utc);
        c.tm_isdst = e.dst;
        bool settled = true;
        for (int level = kYear; level <= kMinute && settled; ++level) {
            int& field = FieldAt(c, level);
            field += FieldOffset(level);
            int found = MatchChain(e, ChainAt(e, level), c, field);
            field -= FieldOffset(level);
            if (found > 0) {
                ResetBelow(c, usec, level);
            }
            if (level == kYear && (found < 0 || CheckExists(c, e.utc) <= 0)) {
                return false;
            }
            if (level != kYear && (found < 0 || (found = CheckExists(c, e.utc)) < 0)) {
                ++FieldAt(c, level - 1);
                ResetBelow(c, usec, level - 1);
                settled = false;
            } else if (level != kYear && found == 0) {
                settled = false;
            } else if (level == kDay && !MatchesWeekday(e.weekdays, c, e.utc)) {
                ++c.tm_mday;
                ResetBelow(c, usec, kDay);
                settled = false;
            }
        }
        if (!settled) {
            continue;
        }
        c.tm_sec = c.tm_sec * kMicrosecondsPerSecond + usec;
        int found = MatchChain(e, e.microsecond, c, c.tm_sec);
        usec = c.tm_sec % kMicrosecondsPerSecond;
        c.tm_sec /= kMicrosecondsPerSecond;
        if (found < 0 || (found = CheckExists(c, e.utc)) < 0) {
            ++c.tm_min;
            ResetBelow(c, usec, kMinute);
            continue;
        }
        if (found > 0) {
            fields = c;
            micro = usec;
            return true;
        }
    }
    return false;
}

// The first elapse after `after` in the process's own zone (or UTC).
std::optional<std::int64_t> NextElapse(const CalendarExpression& e, std::int64_t after) {
    if (after > kLatestStart) {
        return std::nullopt;
    }
    const std::int64_t start = std::max<std::int64_t>(after + 1, 0);
    const time_t second = static_cast<time_t>(start / kMicrosecondsPerSecond);
    struct tm fields {};
    if ((e.utc ? ::gmtime_r(&second, &fields) : ::localtime_r(&second, &fields)) == nullptr) {
        return std::nullopt;
    }
    int micro = static_cast<int>(start % kMicrosecondsPerSecond);
    if (!FindNext(e, fields, micro)) {
        return std::nullopt;
    }
    const time_t found = ToTime(fields, e.utc);
    if (found < 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(found) * kMicrosecondsPerSecond + micro;
}

void AppendElapses(const CalendarExpression& e, std::int64_t after, std::size_t count,
                   std::vector<std::int64_t>& times) {
    for (std::optional<std::int64_t> next; times.size() < count; after = *next) {
        next = NextElapse(e, after);
        if (!next) {
            return;
        }
        times.push_back(*next);
    }
}

// The elapses in the expression's zone. The zone applies through TZ, which
// holds for the whole process, so a child process works them out, as
// systemd does, and hands them over through a pipe.
std::optional<std::vector<std::int64_t>> ElapsesInZone(const CalendarExpression& e,
                                                       std::int64_t after, std::size_t count) {
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    const std::string zone = ":" + e.timezone;
    std::vector<std::int64_t> times;
    times.reserve(count);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("TZ", zone.c_str(), 1);
        ::tzset();
        AppendElapses(e, after, count, times);
        const auto size = static_cast<ssize_t>(times.size() * sizeof(std::int64_t));
        ::_exit(::write(writeEnd.Get(), times.data(), static_cast<std::size_t>(size)) == size
                    ? EXIT_SUCCESS
                    : EXIT_FAILURE);
    }
    ChildProcess child(pid);
    writeEnd.Reset();
    std::vector<std::string> texts;
    if (pid < 0 ||
        !ReadPipesUntilClosed({readEnd.Get()}, texts,
                              std::chrono::steady_clock::now() + kZoneTimeLimit) ||
        child.Wait() != EXIT_SUCCESS || texts[0].size() % sizeof(std::int64_t) != 0) {
        return std::nullopt;
    }
    times.resize(texts[0].size() / sizeof(std::int64_t));
    std::memcpy(times.data(), texts[0].data(), texts[0].size());
    return times;
}

}  // namespace

std::optional<std::vector<CalendarTime>> NextElapses(const CalendarExpression& expression,
                                                     CalendarTime after, std::size_t count) {
    std::optional<std::vector<std::int64_t>> times;
    ::tzset();  // the local zone as it is now, should TZ have changed
    if (expression.timezone.empty()) {
        times.emplace();
        AppendElapses(expression, after.time_since_epoch().count(), count, *times);
    } else {
        times = ElapsesInZone(expression, after.time_since_epoch().count(), count);
    }
    if (!times) {
        return std::nullopt;
    }
    std::vector<CalendarTime> elapses;
    for (const std::int64_t micro : *times) {
        elapses.emplace_back(std::chrono::microseconds(micro));
    }
    return elapses;
}

}  // namespace gleanwork

#include "watch/RunSlot.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace gleanwork {

namespace {

using std::chrono::seconds;

// How many elapses ShortestSlot looks at: a year of a daily schedule.
constexpr std::size_t kElapsesLookedAt = 366;
constexpr std::chrono::milliseconds kShortestRun{5000};

}  // namespace

std::optional<seconds> ShortestSlot(const CalendarExpression& expression, CalendarTime from) {
    const auto elapses = NextElapses(expression, from, kElapsesLookedAt);
    if (!elapses) {
        return std::nullopt;
    }
    seconds shortest = kLongestSlot;
    for (std::size_t at = 1; at < elapses->size(); ++at) {
        shortest =
            std::min(shortest, std::chrono::floor<seconds>((*elapses)[at] - (*elapses)[at - 1]));
    }
    return shortest;
}

RunSlotFit FitRunSlot(seconds slot, seconds lateStart) {
    RunSlotLimits limits;
    limits.slot = slot;
    limits.hardStop = slot - lateStart;
    const std::chrono::milliseconds margin = std::clamp<std::chrono::milliseconds>(
        std::chrono::milliseconds(limits.hardStop) / 10, seconds(1), seconds(60));
    limits.maxRun = limits.hardStop - margin;
    if (limits.maxRun < kShortestRun) {
        return {std::nullopt, "its runs would start " + std::to_string(slot.count()) +
                                  " s apart, which leaves a run less than " +
                                  std::to_string(kShortestRun.count() / 1000) + " s"};
    }
    return {limits, {}};
}

std::string SecondsText(std::chrono::milliseconds limit) {
    std::string text = std::to_string(limit.count() / 1000);
    if (const auto millis = limit.count() % 1000; millis != 0) {
        std::array<char, 8> fraction{};
        std::snprintf(fraction.data(), fraction.size(), ".%03lld", static_cast<long long>(millis));
        text += fraction.data();
        text.erase(text.find_last_not_of('0') + 1);
    }
    return text;
}

}  // namespace gleanwork

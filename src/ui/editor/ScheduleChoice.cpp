#include "ui/editor/ScheduleChoice.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::string_view kEveryMinutesPrefix = "*:0/";
constexpr std::string_view kWeekdaysPrefix = "Mon..Fri ";

// The whole of `text` as a number from `least` to `most`.
bool ReadNumber(std::string_view text, int least, int most, int& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && !text.starts_with('0') &&
           number >= least && number <= most;
}

// "HH:MM" as the editor writes it.
bool ReadClock(std::string_view text, ScheduleChoice& choice) {
    if (text.size() != 5 || text[2] != ':') {
        return false;
    }
    const auto two = [](std::string_view digits, int most, int& value) {
        return digits[0] >= '0' && digits[0] <= '9' && digits[1] >= '0' && digits[1] <= '9' &&
               (value = (digits[0] - '0') * 10 + (digits[1] - '0')) <= most;
    };
    int hour = 0;
    int minute = 0;
    if (!two(text.substr(0, 2), 23, hour) || !two(text.substr(3, 2), 59, minute)) {
        return false;
    }
    choice.hour = hour;
    choice.minute = minute;
    return true;
}

std::string ClockText(const ScheduleChoice& choice) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%02d:%02d", choice.hour, choice.minute);
    return text.data();
}

}  // namespace

ScheduleChoice ReadScheduleChoice(const std::string& schedule) {
    ScheduleChoice choice;
    const std::string_view text = schedule;
    if (TrimWhitespace(text).empty()) {
        return choice;
    }
    if (text == "hourly") {
        choice.kind = ScheduleKind::kHourly;
    } else if (text.starts_with(kEveryMinutesPrefix) &&
               ReadNumber(text.substr(kEveryMinutesPrefix.size()), 1, kMostMinutesApart,
                          choice.minutes)) {
        choice.kind = ScheduleKind::kEveryMinutes;
    } else if (ReadClock(text, choice)) {
        choice.kind = ScheduleKind::kDaily;
    } else if (text.starts_with(kWeekdaysPrefix) &&
               ReadClock(text.substr(kWeekdaysPrefix.size()), choice)) {
        choice.kind = ScheduleKind::kWeekdays;
    } else {
        choice = ScheduleChoice{};
        choice.kind = ScheduleKind::kCustom;
        choice.custom = schedule;
    }
    return choice;
}

std::string ScheduleText(const ScheduleChoice& choice) {
    switch (choice.kind) {
        case ScheduleKind::kNone:
            break;
        case ScheduleKind::kEveryMinutes:
            return std::string(kEveryMinutesPrefix) + std::to_string(choice.minutes);
        case ScheduleKind::kHourly:
            return "hourly";
        case ScheduleKind::kDaily:
            return ClockText(choice);
        case ScheduleKind::kWeekdays:
            return std::string(kWeekdaysPrefix) + ClockText(choice);
        case ScheduleKind::kCustom:
            return choice.custom;
    }
    return {};
}

}  // namespace gleanwork

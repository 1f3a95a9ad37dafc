#include "watch/CalendarExpression.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "base/FileDescriptor.h"
#include "base/TextScan.h"
#include "watch/CalendarReader.h"
#include "watch/ValueRuns.h"

namespace gleanwork {

namespace {

constexpr int kAllWeekdays = 127;

constexpr std::array<std::string_view, 7> kWeekdayNames{"Mon", "Tue", "Wed", "Thu",
                                                        "Fri", "Sat", "Sun"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           LowerCase(text.substr(text.size() - suffix.size())) == LowerCase(suffix);
}

// `value` (microseconds when `micro`) as systemd prints it: zero-padded to
// `width` digits, with six digits of fraction when it has one.
std::string FieldNumber(int value, int width, bool micro) {
    const int unit = micro ? kMicrosecondsPerSecond : 1;
    std::array<char, 32> text{};
    int length = std::snprintf(text.data(), text.size(), "%0*d", width, value / unit);
    if (value % unit > 0) {
        length += std::snprintf(text.data() + length, text.size() - length, ".%06d", value % unit);
    }
    return std::string(text.data(), static_cast<std::size_t>(length));
}

// Applies a shorthand ("daily") and returns true, or returns false.
bool ApplyShorthand(std::string_view text, CalendarExpression& expression) {
    const std::string word = LowerCase(text);
    CalendarExpression set = expression;
    set.microsecond = {{0}};
    if (word != "minutely") {
        set.minute = {{0}};
    }
    if (word != "minutely" && word != "hourly") {
        set.hour = {{0}};
    }
    if (word == "weekly") {
        set.weekdays = 1;
    } else if (word != "minutely" && word != "hourly" && word != "daily") {
        set.day = {{1}};
    }
    if (word == "annually" || word == "yearly" || word == "anually") {
        set.month = {{1}};
    } else if (word == "quarterly") {
        set.month = {{1}, {4}, {7}, {10}};
    } else if (word == "semiannually" || word == "semi-annually" || word == "biannually" ||
               word == "bi-annually") {
        set.month = {{1}, {7}};
    } else if (word != "minutely" && word != "hourly" && word != "daily" && word != "weekly" &&
               word != "monthly") {
        return false;
    }
    expression = std::move(set);
    return true;
}

// A zone name as systemd accepts one: letters, digits, "-", "_", "+" and
// single "/" between parts, naming a zone file of the system's database.
bool IsZoneName(std::string_view name) {
    if (name == "UTC") {
        return true;
    }
    if (name.empty() || name.front() == '/' || name.back() == '/' ||
        name.find("//") != std::string_view::npos ||
        !std::all_of(name.begin(), name.end(), [](char c) {
            return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
                   c == '_' || c == '+' || c == '/';
        })) {
        return false;
    }
    const std::string path = "/usr/share/zoneinfo/" + std::string(name);
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    std::array<char, 4> magic{};
    return file.IsOpen() && ::fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::read(file.Get(), magic.data(), magic.size()) == 4 &&
           std::string_view(magic.data(), magic.size()) == "TZif";
}

// Takes a trailing " UTC", local zone name or zone off `text`.
void ReadZone(std::string_view& text, CalendarExpression& expression) {
    if (EndsWithNoCase(text, " UTC")) {
        expression.utc = true;
        text.remove_suffix(4);
        return;
    }
    ::tzset();
    for (int dst = 0; dst < 2; ++dst) {
        const std::string_view name = ::tzname[dst] == nullptr ? "" : ::tzname[dst];
        if (!name.empty() && text.size() > name.size() && EndsWithNoCase(text, name) &&
            text[text.size() - name.size() - 1] == ' ') {
            expression.dst = dst;
            text.remove_suffix(name.size() + 1);
            return;
        }
    }
    const std::size_t space = text.rfind(' ');
    if (space != std::string_view::npos && IsZoneName(text.substr(space + 1))) {
        expression.timezone = text.substr(space + 1);
        text = text.substr(0, space);
    }
}

void FixYears(CalendarChain& years) {
    const auto fix = [](int& year) {
        if (year >= 0 && year < 70) {
            year += 2000;
        } else if (year >= 70 && year < 100) {
            year += 1900;
        }
    };
    for (CalendarComponent& part : years) {
        fix(part.start);
        fix(part.stop);
    }
}

// Ranges cut to a whole number of repetitions, ranges of one value as that
// value, the elements sorted and each once.
void NormalizeChain(CalendarChain& chain) {
    for (CalendarComponent& part : chain) {
        if (part.stop > part.start && part.repeat > 0) {
            part.stop -= (part.stop - part.start) % part.repeat;
        }
        if (part.start == part.stop) {
            part.stop = -1;
            part.repeat = 0;
        }
    }
    std::sort(chain.begin(), chain.end());
    chain.erase(std::unique(chain.begin(), chain.end()), chain.end());
}

void Normalize(CalendarExpression& expression) {
    if (expression.timezone == "UTC") {
        expression.utc = true;
        expression.timezone.clear();
    }
    if (expression.weekdays <= 0 || expression.weekdays >= kAllWeekdays) {
        expression.weekdays = -1;
    }
    if (expression.endOfMonth && expression.day.empty()) {
        expression.endOfMonth = false;
    }
    FixYears(expression.year);
    for (CalendarChain* chain : {&expression.year, &expression.month, &expression.day,
                                 &expression.hour, &expression.minute, &expression.microsecond}) {
        NormalizeChain(*chain);
    }
}

struct FieldLimits {
    std::string_view name;
    const CalendarChain* chain;
    int from;
    int to;
    bool micro;
};

// Why an element of a field can never match, or nothing.
std::optional<std::string> FieldFault(const FieldLimits& field, bool endOfMonth) {
    const int to = endOfMonth ? field.to - 3 : field.to;
    const auto number = [&](int value) { return FieldNumber(value, 1, field.micro); };
    const std::string range = number(field.from) + ".." + number(to);
    for (const CalendarComponent& part : *field.chain) {
        if (part.start < field.from || part.start > to ||
            (part.stop >= 0 && (part.stop < field.from || part.stop > to))) {
            return std::string(field.name) + " outside " + range;
        }
        if (part.repeat > to - field.from) {
            return std::string(field.name) + " repetition longer than " + range;
        }
        const bool endsBeforeRepeating = part.stop >= 0
                                             ? part.start + part.repeat > part.stop
                                             : (endOfMonth ? part.start - part.repeat < field.from
                                                           : part.start + part.repeat > to);
        if (endsBeforeRepeating) {
            return std::string(field.name) + " range or repetition that ends before it repeats";
        }
    }
    return std::nullopt;
}

std::optional<std::string> ExpressionFault(const CalendarExpression& e) {
    const std::array<FieldLimits, 6> fields{{
        {"a year", &e.year, 1970, 2199, false},
        {"a month", &e.month, 1, 12, false},
        {"a day", &e.day, 1, 31, false},
        {"an hour", &e.hour, 0, 23, false},
        {"a minute", &e.minute, 0, 59, false},
        {"a second", &e.microsecond, 0, 60 * kMicrosecondsPerSecond - 1, true},
    }};
    for (const FieldLimits& field : fields) {
        if (auto fault = FieldFault(field, e.endOfMonth && field.chain == &e.day)) {
            return fault;
        }
    }
    return std::nullopt;
}

CalendarParse Refuse(int error, std::string reason) {
    return {std::nullopt, error, std::move(reason)};
}

std::string WeekdaysText(int bits) {
    std::vector<int> days;
    for (int day = 0; day < 7; ++day) {
        if ((bits & (1 << day)) != 0) {
            days.push_back(day);
        }
    }
    return ValueRunsText(days, "..", [](int day) { return std::string(kWeekdayNames[day]); });
}

std::string ChainText(const CalendarChain& chain, int width, bool micro) {
    const int unit = micro ? kMicrosecondsPerSecond : 1;
    const bool everySecond =
        micro && std::any_of(chain.begin(), chain.end(), [](const auto& c) {
            return c.start == 0 && c.stop < 0 && c.repeat == kMicrosecondsPerSecond;
        });
    if (chain.empty() || everySecond) {
        return "*";
    }
    std::string text;
    for (const CalendarComponent& part : chain) {
        text += (text.empty() ? "" : ",") + FieldNumber(part.start, width, micro);
        if (part.stop > 0) {
            text += ".." + FieldNumber(part.stop, width, micro);
        }
        if (part.repeat > 0 && !(part.stop > 0 && part.repeat == unit)) {
            text += "/" + FieldNumber(part.repeat, 0, micro);
        }
    }
    return text;
}

}  // namespace

CalendarParse ParseCalendarExpression(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return Refuse(EINVAL, "the expression holds a zero byte");
    }
    CalendarExpression expression;
    expression.weekdays = 0;
    ReadZone(text, expression);
    if (text.empty()) {
        return Refuse(EINVAL, "the expression is empty");
    }
    int error = 0;
    std::string reason;
    if (!ApplyShorthand(text, expression) && !ReadCalendarParts(text, expression, error, reason)) {
        return Refuse(error, std::move(reason));
    }
    Normalize(expression);
    if (std::optional<std::string> fault = ExpressionFault(expression)) {
        return Refuse(EINVAL, "the expression has " + *fault);
    }
    return {std::move(expression), 0, {}};
}

std::string NormalizedCalendarText(const CalendarExpression& e) {
    std::string text;
    if (e.weekdays > 0 && e.weekdays <= kAllWeekdays) {
        text = WeekdaysText(e.weekdays) + " ";
    }
    text += ChainText(e.year, 4, false) + "-" + ChainText(e.month, 2, false) +
            (e.endOfMonth ? "~" : "-") + ChainText(e.day, 2, false) + " " +
            ChainText(e.hour, 2, false) + ":" + ChainText(e.minute, 2, false) + ":" +
            ChainText(e.microsecond, 2, true);
    if (e.utc) {
        text += " UTC";
    } else if (!e.timezone.empty()) {
        text += " " + e.timezone;
    } else if (e.dst == 0 || e.dst == 1) {
        ::tzset();
        if (::tzname[e.dst] != nullptr && *::tzname[e.dst] != '\0') {
            text += " " + std::string(::tzname[e.dst]);
        }
    }
    return text;
}

}  // namespace gleanwork

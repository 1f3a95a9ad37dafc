#include "watch/CalendarExpression.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "base/FileDescriptor.h"
#include "base/TextScan.h"
#include "watch/ValueRuns.h"

namespace gleanwork {

namespace {

constexpr int kAllWeekdays = 127;
// systemd refuses a field that lists more elements than this.
constexpr int kMostComponents = 241;

constexpr std::array<std::string_view, 7> kWeekdayNames{"Mon", "Tue", "Wed", "Thu",
                                                        "Fri", "Sat", "Sun"};
constexpr std::array<std::pair<std::string_view, int>, 14> kWeekdayWords{{
    {"monday", 0},
    {"mon", 0},
    {"tuesday", 1},
    {"tue", 1},
    {"wednesday", 2},
    {"wed", 2},
    {"thursday", 3},
    {"thu", 3},
    {"friday", 4},
    {"fri", 4},
    {"saturday", 5},
    {"sat", 5},
    {"sunday", 6},
    {"sun", 6},
}};

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

// Walks the text of one expression; keeps the first failure.
class ExpressionReader {
public:
    explicit ExpressionReader(std::string_view text) : text_(text) {}

    // The character `ahead` places on, or '\0' past the end.
    char Peek(std::size_t ahead = 0) const {
        return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0';
    }
    bool AtEnd() const { return at_ >= text_.size(); }
    bool AtEndOrSpace() const { return AtEnd() || Peek() == ' '; }
    void Skip(std::size_t count = 1) { at_ = std::min(at_ + count, text_.size()); }
    void SkipSpaces() {
        while (Peek() == ' ') {
            ++at_;
        }
    }
    std::string_view Rest() const { return text_.substr(at_); }
    std::size_t Position() const { return at_; }
    void Rewind(std::size_t at) { at_ = at; }

    bool Fail(int error, std::string reason) {
        if (error_ == 0) {
            error_ = error;
            reason_ = std::move(reason);
        }
        return false;
    }
    // Fails on the character at the reader's place.
    bool FailHere(std::string_view expected) {
        return Fail(EINVAL, AtEnd() ? std::string(expected) + " is missing at the end"
                                    : std::string(expected) + " is expected at \"" +
                                          std::string(Rest()) + "\"");
    }
    int Error() const { return error_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    int error_ = 0;
    std::string reason_;
};

// Six digits of a fraction, rounded on the seventh; further digits are read
// and dropped.
bool ReadFraction(ExpressionReader& in, std::uint64_t& micro) {
    if (!IsDigit(in.Peek())) {
        return in.FailHere("a digit after the decimal point");
    }
    micro = 0;
    int digits = 0;
    for (; digits < 6 && IsDigit(in.Peek()); ++digits, in.Skip()) {
        micro = micro * 10 + static_cast<std::uint64_t>(in.Peek() - '0');
    }
    for (; digits < 6; ++digits) {
        micro *= 10;
    }
    if (in.Peek() >= '5' && in.Peek() <= '9') {
        ++micro;
    }
    while (IsDigit(in.Peek())) {
        in.Skip();
    }
    return true;
}

bool ReadNumber(ExpressionReader& in, bool micro, int& value) {
    if (!IsDigit(in.Peek())) {
        return in.FailHere("a number");
    }
    std::uint64_t number = 0;
    bool tooLarge = false;
    for (; IsDigit(in.Peek()); in.Skip()) {
        const auto digit = static_cast<std::uint64_t>(in.Peek() - '0');
        tooLarge = tooLarge || number > (UINT64_MAX - digit) / 10;
        number = number * 10 + digit;
    }
    if (!tooLarge && micro) {
        tooLarge = number > UINT64_MAX / kMicrosecondsPerSecond;
        number *= kMicrosecondsPerSecond;
        std::uint64_t fraction = 0;
        if (in.Peek() == '.' && in.Peek(1) != '.') {
            in.Skip();
            if (!ReadFraction(in, fraction)) {
                return false;
            }
        }
        number += fraction;
    }
    if (tooLarge || number > INT_MAX) {
        return in.Fail(ERANGE, "a number is too large");
    }
    value = static_cast<int>(number);
    return true;
}

bool EndsComponent(char c) {
    return c == '\0' || c == ' ' || c == ',' || c == '-' || c == '~' || c == ':';
}

// One element: N, N..M, N/R or N..M/R.
bool ReadComponent(ExpressionReader& in, bool micro, CalendarComponent& part) {
    if (!ReadNumber(in, micro, part.start)) {
        return false;
    }
    if (in.Peek() == '.' && in.Peek(1) == '.') {
        in.Skip(2);
        if (!ReadNumber(in, micro, part.stop)) {
            return false;
        }
        part.repeat = micro ? kMicrosecondsPerSecond : 1;
    }
    if (in.Peek() == '/') {
        in.Skip();
        if (!ReadNumber(in, micro, part.repeat)) {
            return false;
        }
        if (part.repeat == 0) {
            return in.Fail(ERANGE, "a repetition of 0");
        }
    } else if (part.start > INT_MAX - part.repeat) {
        return in.Fail(ERANGE, "a number is too large");
    } else if (micro && part.stop >= 0 && part.start + part.repeat > part.stop) {
        return in.Fail(EINVAL, "a range of seconds shorter than a second needs a repetition");
    }
    return EndsComponent(in.Peek()) || in.FailHere("\",\", \"..\" or \"/\"");
}

// "*", or elements separated by ",". A "*" for the seconds is every whole
// second; elsewhere it is the empty chain.
bool ReadChain(ExpressionReader& in, bool micro, CalendarChain& chain) {
    chain.clear();
    if (in.Peek() == '*') {
        in.Skip();
        if (micro) {
            chain.push_back({0, -1, kMicrosecondsPerSecond});
        }
        return true;
    }
    for (;;) {
        if (chain.size() >= kMostComponents) {
            return in.Fail(ENOBUFS, "a field lists more than " + std::to_string(kMostComponents) +
                                        " elements");
        }
        if (!ReadComponent(in, micro, chain.emplace_back())) {
            return false;
        }
        if (in.Peek() != ',') {
            return true;
        }
        in.Skip();
    }
}

int WeekdayAt(std::string_view text, std::size_t& length) {
    const std::string lower = LowerCase(text.substr(0, 9));
    for (const auto& [word, day] : kWeekdayWords) {
        if (std::string_view(lower).starts_with(word)) {
            length = word.size();
            return day;
        }
    }
    return -1;
}

// "Mon", "Mon,Wed", "Mon..Fri" (or "Mon-Fri"), followed by spaces.
bool ReadWeekdays(ExpressionReader& in, int& bits) {
    int rangeFrom = -1;
    for (bool first = true;; first = false) {
        std::size_t length = 0;
        const int day = WeekdayAt(in.Rest(), length);
        if (day < 0) {
            return first || in.FailHere("a weekday");
        }
        const char after = in.Peek(length);
        if (!(after == '\0' || after == '-' || after == '.' || after == ',' || after == ' ')) {
            return in.FailHere("a weekday");
        }
        if (rangeFrom > day) {
            return in.Fail(EINVAL, "a weekday range ends before it begins");
        }
        for (int inside = rangeFrom >= 0 ? rangeFrom + 1 : day; inside <= day; ++inside) {
            bits |= 1 << inside;
        }
        in.Skip(length);
        if (in.AtEndOrSpace()) {
            in.SkipSpaces();
            return true;
        }
        if (in.Peek() == '.' || in.Peek() == '-') {
            const bool dots = in.Peek() == '.';
            if (rangeFrom >= 0 || (dots && in.Peek(1) != '.')) {
                return in.FailHere("a weekday range");
            }
            rangeFrom = day;
            in.Skip(dots ? 2 : 1);
        } else {
            rangeFrom = -1;
            in.Skip();
        }
        if (in.AtEndOrSpace()) {
            in.SkipSpaces();
            return rangeFrom < 0 || in.Fail(EINVAL, "a weekday range has no end");
        }
    }
}

// "@" and a count of seconds since 1970, read as strtoul reads it.
bool ReadUnixTime(ExpressionReader& in, CalendarExpression& expression) {
    while (IsWhitespace(in.Peek())) {
        in.Skip();
    }
    const bool negative = in.Peek() == '-';
    if (in.Peek() == '-' || in.Peek() == '+') {
        in.Skip();
    }
    if (!IsDigit(in.Peek())) {
        return in.FailHere("a number of seconds");
    }
    std::uint64_t seconds = 0;
    for (; IsDigit(in.Peek()); in.Skip()) {
        const auto digit = static_cast<std::uint64_t>(in.Peek() - '0');
        if (seconds > (UINT64_MAX - digit) / 10) {
            return in.Fail(ERANGE, "a number is too large");
        }
        seconds = seconds * 10 + digit;
    }
    const auto when = static_cast<time_t>(negative ? 0 - seconds : seconds);
    struct tm fields {};
    if (::gmtime_r(&when, &fields) == nullptr || fields.tm_year > INT_MAX - 1900) {
        return in.Fail(ERANGE, "the time is out of range");
    }
    expression.utc = true;
    expression.year = {{fields.tm_year + 1900}};
    expression.month = {{fields.tm_mon + 1}};
    expression.day = {{fields.tm_mday}};
    expression.hour = {{fields.tm_hour}};
    expression.minute = {{fields.tm_min}};
    expression.microsecond = {{fields.tm_sec * kMicrosecondsPerSecond}};
    return true;
}

// "Y-M-D", "M-D" or with "~" before the day; nothing when the text is a
// time. Sets `complete` after "@" and a Unix time, which holds the time too.
bool ReadDate(ExpressionReader& in, CalendarExpression& expression, bool& complete) {
    if (in.AtEnd()) {
        return true;
    }
    if (in.Peek() == '@') {
        in.Skip();
        complete = true;
        return ReadUnixTime(in, expression);
    }
    const std::size_t from = in.Position();
    std::array<CalendarChain, 3> parts;
    std::size_t count = 0;
    for (;; ++count) {
        if (!ReadChain(in, false, parts[count])) {
            return false;
        }
        if (count == 0 && (in.AtEnd() || in.Peek() == ':')) {
            in.Rewind(from);
            return true;
        }
        if (count > 0 && in.AtEndOrSpace()) {
            break;
        }
        if (count == 2 || (count == 1 && expression.endOfMonth)) {
            return in.FailHere("the end of the date");
        }
        if (in.Peek() == '~') {
            expression.endOfMonth = true;
        } else if (in.Peek() != '-') {
            return in.FailHere("\"-\" between the parts of a date");
        }
        in.Skip();
    }
    in.SkipSpaces();
    if (count == 2) {
        expression.year = std::move(parts[0]);
    }
    expression.month = std::move(parts[count - 1]);
    expression.day = std::move(parts[count]);
    return true;
}

// "H:M" or "H:M:S"; nothing is midnight.
bool ReadTime(ExpressionReader& in, CalendarExpression& expression) {
    expression.microsecond = {{0}};
    if (in.AtEnd()) {
        expression.hour = {{0}};
        expression.minute = {{0}};
        return true;
    }
    if (!ReadChain(in, false, expression.hour)) {
        return false;
    }
    if (in.Peek() != ':') {
        return in.FailHere("\":\" after the hour");
    }
    in.Skip();
    if (!ReadChain(in, false, expression.minute)) {
        return false;
    }
    if (in.AtEnd()) {
        return true;
    }
    if (in.Peek() != ':') {
        return in.FailHere("\":\" after the minute");
    }
    in.Skip();
    return ReadChain(in, true, expression.microsecond) && (in.AtEnd() || in.FailHere("the end"));
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
    if (!ApplyShorthand(text, expression)) {
        ExpressionReader in(text);
        bool complete = false;
        const bool read =
            ReadWeekdays(in, expression.weekdays) && ReadDate(in, expression, complete) &&
            (complete || ReadTime(in, expression)) && (in.AtEnd() || in.FailHere("the end"));
        if (!read) {
            return Refuse(in.Error(), in.Reason());
        }
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

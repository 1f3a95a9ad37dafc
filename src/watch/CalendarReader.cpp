#include "watch/CalendarReader.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <utility>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

// systemd refuses a field that lists more elements than this.
constexpr int kMostComponents = 241;

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

}  // namespace

bool ReadCalendarParts(std::string_view text, CalendarExpression& expression, int& error,
                       std::string& reason) {
    ExpressionReader in(text);
    bool complete = false;
    const bool read = ReadWeekdays(in, expression.weekdays) && ReadDate(in, expression, complete) &&
                      (complete || ReadTime(in, expression)) &&
                      (in.AtEnd() || in.FailHere("the end"));
    error = in.Error();
    reason = in.Reason();
    return read;
}

}  // namespace gleanwork

#include "net/CookieDate.h"

#include <algorithm>
#include <array>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

bool IsDelimiter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0x09 || (byte >= 0x20 && byte <= 0x2F) || (byte >= 0x3B && byte <= 0x40) ||
           (byte >= 0x5B && byte <= 0x60) || (byte >= 0x7B && byte <= 0x7E);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads `fewest` to `most` digits at the front of `token` into `value`, and
// drops them from `token`. False when there are too few, or when a digit
// follows the last one taken.
bool ReadNumber(std::string_view& token, std::size_t fewest, std::size_t most, int& value) {
    std::size_t count = 0;
    value = 0;
    while (count < token.size() && count < most && IsDigit(token[count])) {
        value = value * 10 + (token[count] - '0');
        ++count;
    }
    token.remove_prefix(count);
    return count >= fewest && (token.empty() || !IsDigit(token.front()));
}

bool ReadSeparatedNumber(std::string_view& token, int& value) {
    if (!token.starts_with(':')) {
        return false;
    }
    token.remove_prefix(1);
    return ReadNumber(token, 1, 2, value);
}

// A token "h:m:s", one or two digits each.
bool ReadTime(std::string_view token, std::tm& date) {
    return ReadNumber(token, 1, 2, date.tm_hour) && ReadSeparatedNumber(token, date.tm_min) &&
           ReadSeparatedNumber(token, date.tm_sec);
}

bool ReadMonth(std::string_view token, int& month) {
    if (token.size() < 3) {
        return false;
    }
    const auto found = std::find(kMonths.begin(), kMonths.end(), LowerCase(token.substr(0, 3)));
    month = static_cast<int>(found - kMonths.begin());
    return found != kMonths.end();
}

// What has been found so far, each part once.
struct DateParts {
    std::tm date{};
    bool time = false;
    bool day = false;
    bool month = false;
    bool year = false;

    void Take(std::string_view token) {
        std::string_view dayToken = token;
        std::string_view yearToken = token;
        if (!time && ReadTime(token, date)) {
            time = true;
        } else if (!day && ReadNumber(dayToken, 1, 2, date.tm_mday)) {
            day = true;
        } else if (!month && ReadMonth(token, date.tm_mon)) {
            month = true;
        } else if (!year && ReadNumber(yearToken, 2, 4, date.tm_year)) {
            year = true;
        }
    }

    bool Valid() const {
        return time && day && month && year && date.tm_mday <= 31 && date.tm_hour <= 23 &&
               date.tm_min <= 59 && date.tm_sec <= 59;
    }
};

}  // namespace

std::optional<std::time_t> ParseCookieDate(std::string_view text) {
    DateParts parts;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto begin = std::find_if_not(text.begin() + static_cast<std::ptrdiff_t>(at),
                                            text.end(), IsDelimiter);
        const auto end = std::find_if(begin, text.end(), IsDelimiter);
        parts.Take(std::string_view(begin, end));
        at = static_cast<std::size_t>(end - text.begin());
    }
    int& year = parts.date.tm_year;
    if (year >= 70 && year <= 99) {
        year += 1900;
    } else if (year >= 0 && year <= 69) {
        year += 2000;
    }
    if (!parts.Valid() || year < 1601 || parts.date.tm_mday < 1) {
        return std::nullopt;
    }
    year -= 1900;
    return timegm(&parts.date);
}

}  // namespace gleanwork

#include "storage/TextLines.h"

#include <limits>

#include "storage/FileContent.h"

namespace gleanwork {

namespace {

bool IsUsableLine(std::string_view line) {
    return !line.empty() && line.front() != ';';
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    std::string content;
    if (!AppendFileContent(path, content)) {
        return -1;
    }
    std::string_view rest(content);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos) {
            rest = {};
        } else {
            // Only a CR that pairs with the LF belongs to the line end.
            line = WithoutLineEnd(line);
            rest.remove_prefix(end + 1);
        }
        if (IsUsableLine(line)) {
            lines.emplace_back(line);
        }
    }
    return 0;
}

std::int64_t ReadDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsCSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        magnitude = magnitude > (kMax - digit) / 10 ? kMax : magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace gleanwork

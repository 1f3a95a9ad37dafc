#include "net/ResponseHead.h"

#include <algorithm>
#include <cctype>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Header names are the same whatever the case of their letters.
bool SameHeaderName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string_view StatusCode(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = statusLine.substr(space + 1);
    return rest.substr(0, rest.find(' '));
}

std::string_view ReadHeaderLine(std::string_view& text) {
    const std::size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos) {
        return {};
    }
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + kLineEnd.size());
    return line;
}

std::vector<std::string_view> HeaderLines(std::string_view head) {
    std::vector<std::string_view> lines;
    for (std::string_view line = ReadHeaderLine(head); !line.empty(); line = ReadHeaderLine(head)) {
        lines.push_back(line);
    }
    return lines;
}

std::string_view FindHeader(std::string_view name, const std::vector<std::string_view>& lines) {
    for (const std::string_view line : lines) {
        const std::size_t nameEnd = std::min(line.find(':'), line.size());
        if (SameHeaderName(line.substr(0, nameEnd), name)) {
            return line.substr(std::min(nameEnd + 2, line.size()));
        }
    }
    return {};
}

std::optional<std::uint64_t> ContentLength(std::string_view head) {
    const std::vector<std::string_view> lines = HeaderLines(head);
    const std::string_view value = TrimWhitespace(FindHeader("Content-Length", lines));
    constexpr std::size_t kMostDigits = 18;  // within the range of the result
    if (!FindHeader("Transfer-Encoding", lines).empty() || value.empty() ||
        value.size() > kMostDigits || !IsDigits(value)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(ReadDecimal(value));
}

int StatusNumber(std::string_view statusLine) {
    const std::string_view status = StatusCode(statusLine);
    return status.size() == 3 && IsDigits(status) ? static_cast<int>(ReadDecimal(status)) : 0;
}

std::optional<std::uint64_t> UnmetLength(std::string_view head, std::size_t bodySize) {
    const std::vector<std::string_view> lines = HeaderLines(head);
    const std::string_view status = StatusCode(lines.empty() ? std::string_view() : lines.front());
    const std::optional<std::uint64_t> length = ContentLength(head);
    if (!length || bodySize >= *length || status.starts_with('1') || status == "204" ||
        status == "304") {
        return std::nullopt;
    }
    return length;
}

// A value starts after the ":" and the blanks that follow it.
void StoreCookies(CookieJar& cookies, const std::vector<std::string_view>& lines,
                  const CookieOrigin& origin) {
    for (const std::string_view line : lines) {
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            SameHeaderName(line.substr(0, colon), "Set-Cookie")) {
            cookies.Store(line.substr(colon + 1), origin);
        }
    }
}

}  // namespace gleanwork

#include "net/CookieFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/SystemReason.h"
#include "base/TextScan.h"
#include "storage/AtomicFile.h"
#include "storage/FileContent.h"
#include "storage/InstallFolder.h"

namespace gleanwork {

namespace {

using Clock = CookieJar::Clock;

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";
constexpr std::string_view kHeader =
    "# Netscape HTTP Cookie File\n"
    "# The cookies that Gleanwork keeps between an agent's runs.\n\n";

// A cookie file larger than this is no cookie file.
constexpr std::uint64_t kLargestFile = 64 << 20;

std::vector<std::string_view> SplitAtTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab - at));
        if (tab == std::string_view::npos) {
            return fields;
        }
        at = tab + 1;
    }
}

bool IsTrue(std::string_view field) {
    return LowerCase(field) == "true";
}

// Reads the cookie of one line into `cookie`; false when the line holds none.
bool ReadCookieLine(std::string_view line, StoredCookie& cookie) {
    if (line.starts_with(kHttpOnlyPrefix)) {
        line.remove_prefix(kHttpOnlyPrefix.size());
        cookie.httpOnly = true;
    }
    const std::vector<std::string_view> fields = SplitAtTabs(line);
    std::string_view expiry = fields.size() > 4 ? fields[4] : std::string_view();
    if (fields.size() < 6 || fields.size() > 7 || fields[5].empty() || expiry.empty() ||
        expiry.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    std::string_view domain = fields[0];
    if (domain.starts_with('.')) {
        domain.remove_prefix(1);
    }
    cookie.domain = LowerCase(domain);
    cookie.hostOnly = !IsTrue(fields[1]);
    cookie.path = fields[2].starts_with('/') ? fields[2] : "/";
    cookie.secure = IsTrue(fields[3]);
    const std::int64_t seconds = ReadDecimal(expiry);
    if (seconds != 0) {
        cookie.expires = Clock::from_time_t(std::min<std::int64_t>(seconds, kLatestCookieExpiry));
    }
    cookie.name = fields[5];
    cookie.value = fields.size() == 7 ? fields[6] : std::string_view();
    // A domain that begins with "." or "#" would not read back as it is.
    return !cookie.domain.empty() && cookie.domain.find_first_of(".#") != 0;
}

bool FitsOneLine(const StoredCookie& cookie) {
    for (const std::string* field : {&cookie.name, &cookie.value, &cookie.domain, &cookie.path}) {
        if (field->find_first_of("\t\r\n") != std::string::npos) {
            return false;
        }
    }
    return true;
}

void AppendCookieLine(const StoredCookie& cookie, std::string& content) {
    const auto flag = [](bool on) { return on ? "TRUE" : "FALSE"; };
    const std::time_t expiry = cookie.IsSessionCookie() ? 0 : Clock::to_time_t(cookie.expires);
    content.append(cookie.httpOnly ? kHttpOnlyPrefix : "")
        .append(cookie.hostOnly ? "" : ".")
        .append(cookie.domain)
        .append("\t")
        .append(flag(!cookie.hostOnly))
        .append("\t")
        .append(cookie.path)
        .append("\t")
        .append(flag(cookie.secure))
        .append("\t")
        .append(std::to_string(expiry))
        .append("\t")
        .append(cookie.name)
        .append("\t")
        .append(cookie.value)
        .append("\n");
}

}  // namespace

CookieFileResult ReadCookieFile(const std::string& path, CookieJar& jar, Clock::time_point now) {
    CookieFileResult result;
    result.path = InInstallFolder(path);
    std::string content;
    int error = 0;
    if (!AppendFileContent(result.path, content, &error, kLargestFile)) {
        result.done = error == ENOENT;
        result.reason = result.done ? std::string() : SystemReason(error);
        return result;
    }
    std::string_view rest = content;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (TrimWhitespace(line).empty() ||
            (line.starts_with('#') && !line.starts_with(kHttpOnlyPrefix))) {
            continue;
        }
        StoredCookie cookie;
        if (!ReadCookieLine(line, cookie)) {
            ++result.passedOver;
        } else if (cookie.expires > now) {
            jar.Add(cookie, now);
            ++result.cookies;
        }
    }
    result.done = true;
    return result;
}

CookieFileResult WriteCookieFile(const std::string& path, const CookieJar& jar,
                                 Clock::time_point now) {
    CookieFileResult result;
    result.path = InInstallFolder(path);
    std::string content(kHeader);
    for (const StoredCookie& cookie : jar.List(now)) {
        if (FitsOneLine(cookie)) {
            AppendCookieLine(cookie, content);
            ++result.cookies;
        } else {
            ++result.passedOver;
        }
    }
    result.done = WritePrivateFileAtomically(result.path, content);
    if (!result.done) {
        result.reason = SystemReason(errno);
    }
    return result;
}

}  // namespace gleanwork

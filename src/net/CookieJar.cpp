#include "net/CookieJar.h"

#include <algorithm>
#include <limits>

#include "base/TextScan.h"
#include "net/CookieDate.h"

namespace gleanwork {

namespace {

constexpr std::size_t kLongestSetCookie = 8192;

constexpr std::time_t kEarliestDate = 0;

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool IsIpAddress(std::string_view host) {
    return host.find_first_not_of("0123456789.") == std::string_view::npos || host.starts_with('[');
}

// RFC 6265, 5.1.3.
bool DomainMatches(std::string_view host, std::string_view domain) {
    if (host == domain) {
        return true;
    }
    return host.size() > domain.size() && host.ends_with(domain) &&
           host[host.size() - domain.size() - 1] == '.' && !IsIpAddress(host);
}

// RFC 6265, 5.1.4.
bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
    if (!requestPath.starts_with(cookiePath)) {
        return false;
    }
    return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') ||
           requestPath[cookiePath.size()] == '/';
}

// The path a cookie gets when it names none: the request path up to its last
// "/" (RFC 6265, 5.1.4).
std::string DefaultPath(std::string_view requestPath) {
    const std::size_t slash = requestPath.rfind('/');
    if (!requestPath.starts_with('/') || slash == 0) {
        return "/";
    }
    return std::string(requestPath.substr(0, slash));
}

// Splits "name=value" at its first "=", both trimmed.
bool SplitPair(std::string_view pair, std::string_view& name, std::string_view& value) {
    const std::size_t equals = pair.find('=');
    name = Trimmed(pair.substr(0, equals));
    value =
        equals == std::string_view::npos ? std::string_view() : Trimmed(pair.substr(equals + 1));
    return equals != std::string_view::npos;
}

}  // namespace

CookieOrigin CookieOriginOf(std::string_view url) {
    CookieOrigin origin;
    origin.secure = url.starts_with("https://");
    const std::size_t scheme = url.find("://");
    if (scheme != std::string_view::npos) {
        url.remove_prefix(scheme + 3);
    }
    const std::size_t pathStart = std::min(url.find_first_of("/?#"), url.size());
    std::string_view authority = url.substr(0, pathStart);
    authority.remove_prefix(std::min(authority.rfind('@') + 1, authority.size()));
    const std::size_t portColon =
        authority.starts_with('[') ? authority.find("]:") + 1 : authority.rfind(':');
    origin.host = LowerCase(authority.substr(0, portColon));
    const std::string_view path = url.substr(pathStart);
    origin.path = path.substr(0, path.find_first_of("?#"));
    return origin;
}

void CookieJar::Store(std::string_view setCookie, const CookieOrigin& origin,
                      Clock::time_point now) {
    if (setCookie.size() > kLongestSetCookie) {
        return;
    }
    std::string_view rest = setCookie;
    const std::size_t semicolon = rest.find(';');
    std::string_view name;
    std::string_view value;
    if (!SplitPair(rest.substr(0, semicolon), name, value) || name.empty()) {
        return;
    }
    Cookie cookie{{std::string(name), std::string(value), origin.host, DefaultPath(origin.path)}};
    bool maxAgeSeen = false;
    rest.remove_prefix(std::min(semicolon, rest.size()));
    while (!rest.empty()) {
        rest.remove_prefix(1);
        const std::size_t end = std::min(rest.find(';'), rest.size());
        std::string_view attribute;
        std::string_view argument;
        SplitPair(rest.substr(0, end), attribute, argument);
        rest.remove_prefix(end);
        const std::string key = LowerCase(attribute);
        if (key == "domain" && !argument.empty()) {
            std::string domain =
                LowerCase(argument.starts_with('.') ? argument.substr(1) : argument);
            if (!DomainMatches(origin.host, domain)) {
                return;
            }
            cookie.hostOnly = false;
            cookie.domain = std::move(domain);
        } else if (key == "path" && argument.starts_with('/')) {
            cookie.path = argument;
        } else if (key == "secure") {
            cookie.secure = true;
        } else if (key == "httponly") {
            cookie.httpOnly = true;
        } else if (key == "max-age" && !argument.empty()) {
            const std::int64_t seconds = ReadDecimal(argument);
            const std::int64_t bound = std::numeric_limits<std::int32_t>::max();
            cookie.expires =
                now + std::chrono::seconds(std::clamp<std::int64_t>(seconds, -1, bound));
            maxAgeSeen = true;
        } else if (key == "expires" && !maxAgeSeen) {
            if (const auto date = ParseCookieDate(argument)) {
                cookie.expires =
                    Clock::from_time_t(std::clamp(*date, kEarliestDate, kLatestCookieExpiry));
            }
        }
    }
    Replace(std::move(cookie), now);
}

void CookieJar::Add(const StoredCookie& cookie, Clock::time_point now) {
    if (!cookie.name.empty() && !cookie.domain.empty()) {
        Replace(Cookie{cookie}, now);
    }
}

std::vector<StoredCookie> CookieJar::List(Clock::time_point now) const {
    std::vector<const Cookie*> kept;
    for (const Cookie& cookie : cookies_) {
        if (cookie.expires > now) {
            kept.push_back(&cookie);
        }
    }
    std::sort(kept.begin(), kept.end(),
              [](const Cookie* a, const Cookie* b) { return a->created < b->created; });
    std::vector<StoredCookie> listed;
    for (const Cookie* cookie : kept) {
        listed.push_back(*cookie);
    }
    return listed;
}

void CookieJar::Replace(Cookie cookie, Clock::time_point now) {
    std::erase_if(cookies_, [now](const Cookie& kept) { return kept.expires <= now; });
    const auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& kept) {
        return kept.name == cookie.name && kept.domain == cookie.domain && kept.path == cookie.path;
    });
    if (same != cookies_.end()) {
        cookie.created = same->created;  // a replaced cookie keeps its age
        cookies_.erase(same);
    } else {
        cookie.created = ++created_;
    }
    if (cookie.expires <= now) {
        return;
    }
    if (cookies_.size() >= kMostCookies) {
        cookies_.erase(std::min_element(
            cookies_.begin(), cookies_.end(),
            [](const Cookie& a, const Cookie& b) { return a.created < b.created; }));
    }
    cookies_.push_back(std::move(cookie));
}

bool CookieJar::Matches(const Cookie& cookie, const CookieOrigin& origin,
                        Clock::time_point now) const {
    const bool hostMatches =
        cookie.hostOnly ? origin.host == cookie.domain : DomainMatches(origin.host, cookie.domain);
    const std::string_view path = origin.path.empty() ? std::string_view("/") : origin.path;
    return hostMatches && PathMatches(path, cookie.path) && (!cookie.secure || origin.secure) &&
           cookie.expires > now;
}

std::string CookieJar::HeaderFor(const CookieOrigin& origin, Clock::time_point now) const {
    std::vector<const Cookie*> matching;
    for (const Cookie& cookie : cookies_) {
        if (Matches(cookie, origin, now)) {
            matching.push_back(&cookie);
        }
    }
    std::sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
        return a->path.size() != b->path.size() ? a->path.size() > b->path.size()
                                                : a->created < b->created;
    });
    std::string header;
    for (const Cookie* cookie : matching) {
        if (!header.empty()) {
            header.append("; ");
        }
        header.append(cookie->name).append("=").append(cookie->value);
    }
    return header;
}

}  // namespace gleanwork

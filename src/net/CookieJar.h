#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// Where a request goes, as far as cookies care: the host (in lower case),
// the path without its query, and whether the connection is secure.
struct CookieOrigin {
    std::string host;
    std::string path;
    bool secure = false;
};

// The origin of a request to `url` (http:// or https://, the scheme may be
// left out).
CookieOrigin CookieOriginOf(std::string_view url);

// The latest expiry a cookie keeps (the start of 2200): later ones are
// taken as this, within what the clock can hold.
inline constexpr std::time_t kLatestCookieExpiry = 7258118400;

// One cookie as a jar holds it.
struct StoredCookie {
    std::string name;
    std::string value;
    std::string domain;  // in lower case, without a leading "."
    std::string path;
    bool hostOnly = true;  // false: sent to the hosts under `domain` too
    bool secure = false;
    bool httpOnly = false;
    // The end of a session cookie's life is the end of the session.
    std::chrono::system_clock::time_point expires = std::chrono::system_clock::time_point::max();

    bool IsSessionCookie() const { return expires == std::chrono::system_clock::time_point::max(); }
};

// The cookies of one run, kept in memory only. A reply's Set-Cookie values
// are stored for the origin of its request and sent back, as one Cookie
// header, to the hosts and paths they belong to (RFC 6265: domain and path
// matching, Secure cookies only over secure connections, Max-Age and Expires
// honoured, an expiry in the past removes the cookie).
class CookieJar {
public:
    using Clock = std::chrono::system_clock;

    // Keeps the cookie of one Set-Cookie header value, received at `now`.
    // A value without "=", with an empty name, longer than 8 KiB, or whose
    // Domain the origin's host does not belong to is ignored.
    void Store(std::string_view setCookie, const CookieOrigin& origin,
               Clock::time_point now = Clock::now());

    // The value of the Cookie header for a request to `origin` at `now`:
    // "name=value" pairs joined by "; ", longer paths first, older first
    // among equal paths; empty when no cookie belongs there.
    std::string HeaderFor(const CookieOrigin& origin, Clock::time_point now = Clock::now()) const;

    // Keeps `cookie` as a reply would have set it at `now`: it replaces the
    // cookie of the same name, domain and path, and one that has expired
    // removes that cookie instead. A cookie without a name or domain is
    // ignored.
    void Add(const StoredCookie& cookie, Clock::time_point now = Clock::now());

    // The cookies that have not expired at `now`, oldest first.
    std::vector<StoredCookie> List(Clock::time_point now = Clock::now()) const;

    // The most cookies kept: the oldest goes when a new one would pass it.
    static constexpr std::size_t kMostCookies = 1000;

private:
    struct Cookie : StoredCookie {
        std::uint64_t created = 0;
    };

    bool Matches(const Cookie& cookie, const CookieOrigin& origin, Clock::time_point now) const;
    void Replace(Cookie cookie, Clock::time_point now);

    std::vector<Cookie> cookies_;
    std::uint64_t created_ = 0;
};

}  // namespace gleanwork

#pragma once

#include <chrono>
#include <cstdint>
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

    // The most cookies kept: the oldest goes when a new one would pass it.
    static constexpr std::size_t kMostCookies = 1000;

private:
    struct Cookie {
        std::string name;
        std::string value;
        std::string domain;
        std::string path;
        bool hostOnly = true;
        bool secure = false;
        Clock::time_point expires = Clock::time_point::max();
        std::uint64_t created = 0;
    };

    bool Matches(const Cookie& cookie, const CookieOrigin& origin, Clock::time_point now) const;
    void Replace(Cookie cookie, Clock::time_point now);

    std::vector<Cookie> cookies_;
    std::uint64_t created_ = 0;
};

}  // namespace gleanwork

#pragma once

#include <string>

#include "net/CookieJar.h"
#include "net/HttpLimits.h"
#include "net/RequestRoute.h"

namespace gleanwork {

// A user name and password for Basic authentication, and the address whose
// origin they belong to: the HTTP client sends them only to that origin
// (the same scheme, host and port), whichever address a request is for,
// and never when the name is empty or the address is no web address.
struct WebCredentials {
    std::string user;
    std::string password;
    std::string originUrl;
};

// What the HTTP client is asked to fetch, and how. The request line is the
// method and the route's target; the head then carries Host, the proxy's
// credentials (only to a proxy itself, never through a tunnel), the web
// credentials (see WebCredentials), User-agent, the cookies of `cookies`
// (none: no cookie is sent or kept; else every Set-Cookie of a reply goes
// into it), and for a POST its Content-Type and Content-Length.
// A request with a body, or whose `method` is "POST", is a POST of `body` as
// `contentType` (empty: a form, "application/x-www-form-urlencoded"); any
// other is a GET. Redirects are followed with the same request for their
// target, except that a POST answered by a redirect other than 307 or 308
// goes on as a GET without a body, as browsers do.
//
// With `honourRetryAfter`, a 429 or 503 reply whose Retry-After asks for a
// wait of at most kLongestRetryWait is tried again after that wait (which a
// stop ends), at most kMostRetries times; the log says so each time, and a
// reply that is tried again is no failure.
struct HttpRequest {
    std::string url;  // http:// or https://
    std::string method = "GET";
    std::string body;
    std::string contentType;
    std::string userAgent;
    WebCredentials credentials;
    RouteSettings route;
    CookieJar* cookies = nullptr;
    HttpLimits limits;
    bool honourRetryAfter = false;
};

}  // namespace gleanwork

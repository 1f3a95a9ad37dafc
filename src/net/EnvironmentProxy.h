#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace gleanwork {

// The proxy that the standard environment variables name for one URL.
struct EnvironmentProxy {
    bool use = false;      // true: go through host and port
    std::string variable;  // the variable that named the proxy
    std::string host;      // an IPv6 address without brackets
    int port = 0;
    // The credentials of the proxy URL, percent-decoded, for a
    // Proxy-Authorization line; kept apart so that no log line shows them.
    std::string user;
    std::string password;
    // Why the proxy that `variable` names cannot be used (a scheme other than
    // http://, no host, a bad port); `use` is then false, and a fetch should
    // fail with this reason rather than go around the proxy.
    std::string problem;
};

// Reads one environment variable; none when it is not set.
using EnvironmentReader = std::function<std::optional<std::string>(const std::string& name)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const std::string& name);

// The proxy for `url` (http:// or https://) that the environment names, as
// curl chooses it: for https:// the first of https_proxy, HTTPS_PROXY,
// all_proxy, ALL_PROXY that is set and not empty; for http:// the same with
// http_proxy first and no upper-case HTTP_PROXY (a CGI program gets the
// client's "Proxy:" header in that name); none when the URL's host is on
// the no_proxy list (or NO_PROXY when no_proxy is unset; see NoProxyMatches).
// The proxy is "[http://][user[:password]@]host[:port][/]"; its port is 1080
// when it names none, as in curl.
EnvironmentProxy ProxyFromEnvironment(std::string_view url, const EnvironmentReader& environment);

}  // namespace gleanwork

#pragma once

#include <string>

namespace gleanwork {

// How the requests of a fetch travel: through `proxy` when it names one
// ("host", or "user:password@host" for a proxy that wants credentials), and
// which port `port` (a decimal number as written, or empty) names.
struct RouteSettings {
    std::string proxy;
    std::string port;
};

// Where one request of a fetch goes and what it asks for.
struct RequestRoute {
    std::string host;  // contacted: the proxy, or the URL's host
    int port = 0;
    std::string target;      // of the request line
    std::string originHost;  // the URL's host and port, for TLS and Host
    int originPort = 0;
    std::string hostField;  // the value of the Host line
    bool secure = false;    // https://: TLS to the origin
    bool proxied = false;
    std::string proxyCredentials;  // "user:password" for the proxy, or empty
};

// The route of a request for `url` with `settings`. A URL that names no
// port means the starting one (the settings' port, or the scheme's port),
// also after a redirect from a URL that named another. A proxy is reached at
// the settings' port (or 80); it gets the whole URL of an http:// request (without a
// user name and password in it), and a tunnel for an https:// one. A proxy written as
// "user:password@host" is the host after the last "@", and what comes before it is the proxy's
// credentials.
RequestRoute RouteRequest(const RouteSettings& settings, const std::string& url);

// The "Proxy-Authorization" line (ended by CR LF) that carries the route's
// proxy credentials, or nothing when it has none.
std::string ProxyAuthorizationLine(const RequestRoute& route);

// Whether two routes lead to the same origin: the same scheme, the same
// host (whatever the case of its letters) and the same port.
bool SameOrigin(const RequestRoute& a, const RequestRoute& b);

}  // namespace gleanwork

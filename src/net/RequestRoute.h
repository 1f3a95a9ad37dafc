#pragma once

#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork {

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
};

// The route of a request for `url` with the agent's proxy and port. A URL
// that names no port means the starting one (PORT, or the scheme's port),
// also after a redirect from a URL that named another. A proxy is reached at
// PORT (or 80); it gets the whole URL of an http:// request, and a tunnel
// for an https:// one.
RequestRoute RouteRequest(const AgentDefinition& agent, const std::string& url);

}  // namespace gleanwork

#include "net/RequestRoute.h"

#include "base/TextScan.h"
#include "net/Base64.h"
#include "net/UrlSplit.h"

namespace gleanwork {

RequestRoute RouteRequest(const AgentDefinition& agent, const std::string& url) {
    RequestRoute route;
    route.secure = IsHttpsUrl(url);
    route.proxied = !agent.HOST.empty();
    const int schemePort = SchemePort(url);
    const int startingPort = agent.PORT.empty() ? schemePort : ReadPort(agent.PORT);
    route.originPort = route.proxied ? schemePort : startingPort;
    const std::string path = SplitUrl(url, route.originHost, route.originPort);
    route.hostField = HostField(route.originHost, route.originPort, schemePort);
    if (!route.proxied) {
        route.host = route.originHost;
        route.port = route.originPort;
        route.target = path;
        return route;
    }
    const std::size_t at = agent.HOST.rfind('@');
    route.host = at == std::string::npos ? agent.HOST : agent.HOST.substr(at + 1);
    route.proxyCredentials = at == std::string::npos ? "" : agent.HOST.substr(0, at);
    route.port = agent.PORT.empty() ? kHttpPort : startingPort;
    route.target = route.secure ? path : WithoutUserInfo(url);
    return route;
}

std::string ProxyAuthorizationLine(const RequestRoute& route) {
    if (route.proxyCredentials.empty()) {
        return {};
    }
    return "Proxy-Authorization: Basic " + EncodeBase64(route.proxyCredentials) + "\r\n";
}

bool SameOrigin(const RequestRoute& a, const RequestRoute& b) {
    return a.secure == b.secure && a.originPort == b.originPort &&
           LowerCase(a.originHost) == LowerCase(b.originHost);
}

}  // namespace gleanwork

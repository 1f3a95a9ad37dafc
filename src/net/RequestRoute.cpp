#include "net/RequestRoute.h"

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
    route.host = agent.HOST;
    route.port = agent.PORT.empty() ? kHttpPort : startingPort;
    route.target = route.secure ? path : url;
    return route;
}

}  // namespace gleanwork

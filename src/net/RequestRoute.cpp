#include "net/RequestRoute.h"

#include "base/TextScan.h"
#include "net/Base64.h"
#include "net/UrlSplit.h"

namespace gleanwork {

RequestRoute RouteRequest(const RouteSettings& settings, const std::string& url) {
    RequestRoute route;
    route.secure = IsHttpsUrl(url);
    route.proxied = !settings.proxy.empty();
    const int schemePort = SchemePort(url);
    const int startingPort = settings.port.empty() ? schemePort : ReadPort(settings.port);
    route.originPort = route.proxied ? schemePort : startingPort;
    const std::string path = SplitUrl(url, route.originHost, route.originPort);
    route.hostField = HostField(route.originHost, route.originPort, schemePort);
    if (!route.proxied) {
        route.host = route.originHost;
        route.port = route.originPort;
        route.target = path;
        return route;
    }
    const std::size_t at = settings.proxy.rfind('@');
    route.host = at == std::string::npos ? settings.proxy : settings.proxy.substr(at + 1);
    route.proxyCredentials = at == std::string::npos ? "" : settings.proxy.substr(0, at);
    route.port = settings.port.empty() ? kHttpPort : startingPort;
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

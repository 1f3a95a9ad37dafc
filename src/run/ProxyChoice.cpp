#include "run/ProxyChoice.h"

namespace gleanwork {

RouteSettings RouteFor(const AgentDefinition& agent, const std::string& url,
                       const EnvironmentReader& environment, std::string& problem) {
    problem.clear();
    if (!agent.HOST.empty() || !agent.PORT.empty()) {
        return {agent.HOST, agent.PORT};
    }
    const EnvironmentProxy proxy = ProxyFromEnvironment(url, environment);
    if (!proxy.problem.empty()) {
        problem = "The proxy that " + proxy.variable + " names cannot be used: " + proxy.problem;
        return {};
    }
    if (!proxy.use) {
        return {};
    }
    std::string credentials;
    if (!proxy.user.empty() || !proxy.password.empty()) {
        credentials = proxy.user + ":" + proxy.password + "@";
    }
    return {credentials + proxy.host, std::to_string(proxy.port)};
}

}  // namespace gleanwork

#pragma once

#include <string>

#include "net/EnvironmentProxy.h"
#include "net/RequestRoute.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// How a request for `url` travels for `agent`: through the agent's own
// proxy fields when it fills either of them (HOST, PORT), else through the
// proxy that the standard variables of `environment` name for `url` (see
// ProxyFromEnvironment), else straight. `problem` gets the reason why the
// proxy that a variable names cannot be used (the request must then not be
// made: going around the proxy could reach where it must not), and is empty
// otherwise.
RouteSettings RouteFor(const AgentDefinition& agent, const std::string& url,
                       const EnvironmentReader& environment, std::string& problem);

}  // namespace gleanwork

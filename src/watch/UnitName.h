#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// `text` escaped as systemd-escape escapes it: "/" becomes "-", a leading
// "." and every byte but ASCII letters, digits, ":", "_" and "." become
// "\xNN".
std::string SystemdEscape(std::string_view text);

// The name of the unit of kind `kind` ("service", "timer") that runs the
// agent `agentName`: "gleanwork-", its escaped name, "." and the kind. A
// name that would pass systemd's limit on unit names is cut and ends in a
// short digest of the whole name instead, so that it stays one agent's.
std::string AgentUnitName(std::string_view agentName, std::string_view kind);

}  // namespace gleanwork

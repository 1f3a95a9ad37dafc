#pragma once

#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork {

// Replaces every occurrence of the agent's database password in `message`
// with asterisks: DBPASS, and a password written into DBSOURCE (the
// "user:password@" part or a "password=" setting of a connection URI). The
// client library echoes a malformed URI's parts in its messages.
void RedactPasswords(const AgentDefinition& agent, std::string& message);

}  // namespace gleanwork

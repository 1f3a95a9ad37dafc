#pragma once

#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork {

// Replaces every occurrence of the agent's database password in `message`
// with asterisks: DBPASS, and a password written into DBSOURCE (the
// "user:password@" part, up to the last "@" before the query, or a
// "password=" setting of a connection URI). The client library echoes a
// malformed URI's parts in its messages, a password cut at an "@", "/" or
// ":" in it too: each such piece is hidden where it stands as a word.
void RedactPasswords(const AgentDefinition& agent, std::string& message);

}  // namespace gleanwork

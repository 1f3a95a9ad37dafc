#pragma once

#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork {

// Tries the agent's database settings without changing anything: connects
// to the data source and prepares the INSERTDATA and UPDATEDATA statements,
// then rolls back. Returns what happened in words, one sentence a line; the
// password never appears. A missing SQLite file is reported, not created.
std::string CheckDatabaseSettings(const AgentDefinition& agent);

}  // namespace gleanwork

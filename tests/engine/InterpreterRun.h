#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/RunControl.h"
#include "storage/AgentDefinition.h"

namespace gleanwork::test {

// What a script wrote: its run-log lines (between the empty line after
// "Starting script..." and "Agent completed.") and the output file's bytes.
struct ScriptResult {
    std::vector<std::string> log;
    std::string output;
};

// Runs `agent`'s script over `source`, taken byte for byte (zero bytes and
// CR LF pairs included), with an output file in a temporary folder. `onLine`,
// when given, sees the run's control after every logged line (a test can
// stop the run through it).
ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source,
                           const std::function<void(RunControl&)>& onLine = {});

}  // namespace gleanwork::test

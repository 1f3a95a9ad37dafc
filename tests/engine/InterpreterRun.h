#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/AgentEngine.h"

namespace gleanwork::test {

// What a script wrote: its run-log lines (between the empty line after
// "Starting script..." and "Agent completed.") and the output file's bytes.
struct ScriptResult {
    std::vector<std::string> log;
    std::string output;
};

// Runs `agent`'s script through a whole engine run over `source`, taken byte
// for byte, with its output in a temporary folder. `onLine` sees the engine
// after every logged line (it may stop the run). Fails the test when the
// lines around the script's are not those of an ordinary run.
ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source,
                           const std::function<void(AgentEngine&)>& onLine = {});

}  // namespace gleanwork::test

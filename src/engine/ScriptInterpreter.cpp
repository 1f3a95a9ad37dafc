#include "engine/ScriptInterpreter.h"

#include "engine/AgentEngine.h"

namespace gleanwork {

void ScriptInterpreter::RunScript() {
    engine_.LogLine("Starting script...");
    engine_.LogLine("");
}

}  // namespace gleanwork

#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

class AgentEngine;

// Executes an agent's script over the engine's source text.
class ScriptInterpreter {
public:
    explicit ScriptInterpreter(AgentEngine& engine) : engine_(engine) {}

    void RunScript();

private:
    AgentEngine& engine_;
};

}  // namespace gleanwork

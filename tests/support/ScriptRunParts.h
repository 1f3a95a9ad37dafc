#pragma once

#include <atomic>
#include <string_view>

#include "engine/ScriptRun.h"

namespace gleanwork::test {

// The variables, output, log and running flag of a script run made outside
// an engine: the output is standard output and the log `log` (none by default).
struct ScriptRunParts {
    explicit ScriptRunParts(RunLog* log = nullptr) : writer(log) {}

    ScriptRun For(const AgentDefinition& agent, std::string_view text) {
        return {agent, text, variables, output, writer, running, nullptr};
    }

    VariableTable variables;
    RunOutput output;
    RunLogWriter writer;
    std::atomic<bool> running{true};
};

}  // namespace gleanwork::test

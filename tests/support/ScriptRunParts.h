#pragma once

#include <optional>
#include <string_view>

#include "engine/ScriptRun.h"

namespace gleanwork::test {

// The variables, output, log, database session and control of a script run
// made outside an engine: the output goes nowhere until opened, the log is
// `log` (none by default).
struct ScriptRunParts {
    explicit ScriptRunParts(RunLog* log = nullptr) : writer(log), output(writer), control(writer) {
        control.Start();
    }

    ScriptRun For(const AgentDefinition& agent, std::string_view text) {
        database.emplace(agent, writer);
        return {agent, text, variables, output, writer, *database, control, nullptr};
    }

    RunLogWriter writer;
    VariableTable variables;
    RunOutput output;
    std::optional<DatabaseSession> database;
    RunControl control;
};

}  // namespace gleanwork::test

#pragma once

#include <atomic>
#include <optional>
#include <string_view>

#include "engine/ScriptRun.h"

namespace gleanwork::test {

// The variables, output, log, database session and running flag of a script
// run made outside an engine: the output is standard output and the log `log`
// (none by default).
struct ScriptRunParts {
    explicit ScriptRunParts(RunLog* log = nullptr) : writer(log) {}

    ScriptRun For(const AgentDefinition& agent, std::string_view text) {
        database.emplace(agent, writer);
        return {agent, text, variables, output, writer, *database, running, nullptr};
    }

    VariableTable variables;
    RunOutput output;
    RunLogWriter writer;
    std::optional<DatabaseSession> database;
    std::atomic<bool> running{true};
};

}  // namespace gleanwork::test

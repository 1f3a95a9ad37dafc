#pragma once

#include <atomic>
#include <optional>
#include <string_view>

#include "engine/ScriptRun.h"

namespace gleanwork::test {

// The pages, variables, output, log, database session and running flag of a
// script run made outside an engine: the output is standard output and the
// log `log` (none by default). FETCH reads pages as in a run.
struct ScriptRunParts {
    explicit ScriptRunParts(RunLog* log = nullptr) : writer(log) {}

    // `agent` must outlive the run.
    ScriptRun For(const AgentDefinition& agent, std::string_view text) {
        pages.emplace(agent, &writer);
        pages->Show(std::string(text));
        database.emplace(agent, writer);
        return {agent, *pages, variables, output, writer, *database, running, nullptr};
    }

    std::optional<PageBrowser> pages;
    VariableTable variables;
    RunOutput output;
    RunLogWriter writer;
    std::optional<DatabaseSession> database;
    std::atomic<bool> running{true};
};

}  // namespace gleanwork::test

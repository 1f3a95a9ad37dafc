#pragma once

#include <optional>
#include <string_view>

#include "script/ScriptRun.h"

namespace gleanwork::test {

// The pages, variables, output, log, database session and control of a
// script run made outside an engine: the output goes nowhere until opened,
// the log is `log` (none by default). FETCH reads pages as in a run.
struct ScriptRunParts {
    explicit ScriptRunParts(RunLog* log = nullptr)
        : writer(log), control(writer), output(writer, control) {
        control.Start();
    }

    // `agent` must outlive the run.
    ScriptRun For(const AgentDefinition& agent, std::string_view text) {
        pages.emplace(agent, &writer);
        pages->Show(std::string(text));
        database.emplace(agent, writer);
        return {agent, *pages, variables, output, writer, *database, control, nullptr};
    }

    RunLogWriter writer;
    RunControl control;
    std::optional<PageBrowser> pages;
    VariableTable variables;
    RunOutput output;
    std::optional<DatabaseSession> database;
};

}  // namespace gleanwork::test

#pragma once

#include <string_view>

#include "run/DatabaseSession.h"
#include "run/PageBrowser.h"
#include "run/RunControl.h"
#include "run/RunLogWriter.h"
#include "run/RunOutput.h"
#include "run/StepControl.h"
#include "script/VariableTable.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// What the engine hands its interpreter for one run of the script: the agent
// (its script and statements), the pages (the source text and those that
// FETCH reads), the run's variables and output, its log, its database
// session, the control that says whether the next line may run, and the
// control that pauses it between lines (null: the run never pauses).
// Everything referred to outlives the interpreter.
struct ScriptRun {
    const AgentDefinition& agent;
    PageBrowser& pages;
    VariableTable& variables;
    RunOutput& output;
    RunLogWriter& log;
    DatabaseSession& database;
    RunControl& control;
    StepControl* step;
};

}  // namespace gleanwork

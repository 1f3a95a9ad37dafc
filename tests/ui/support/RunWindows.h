#pragma once

#include <QStringList>
#include <string>
#include <vector>

#include "support/AgentSamples.h"
#include "support/TempFolder.h"
#include "ui/run/CAgentOutputDlg.h"

namespace gleanwork::test {

// How long a test waits for a run in an Agent Output window to end.
constexpr int kRunTimeoutMs = 20000;

// Keeps the rows a window listed when its run ended (the window may delete
// itself right afterwards).
struct FinishedRun {
    explicit FinishedRun(CAgentOutputDlg* window);

    bool finished = false;
    QStringList lines;
};

// An agent that reads the local file `source` and loops over it until its
// run is asked to stop.
AgentDefinition MakeEndlessAgent(const std::string& name, const std::string& source);

// Saves `agents`, in this order, as the catalogue of GLEANWORK_INSTALLDIR.
bool SaveAgents(const std::vector<AgentDefinition>& agents);

}  // namespace gleanwork::test

#include "support/RunWindows.h"

#include "storage/AgentCatalogue.h"
#include "ui/run/RunLogModel.h"

namespace gleanwork::test {

FinishedRun::FinishedRun(CAgentOutputDlg* window) {
    QObject::connect(window, &CAgentOutputDlg::runFinished, window, [this, window] {
        for (int row = 0; row < window->model()->rowCount(); ++row) {
            lines << window->model()->RowText(row);
        }
        finished = true;
    });
}

AgentDefinition MakeEndlessAgent(const std::string& name, const std::string& source) {
    AgentDefinition agent = MakeAgent(name, "loops until stopped");
    agent.URL = source;
    agent.SCRIPT = {"BOOKMARK again", "MATCH \"a\"", "JUMPIFOK again"};
    return agent;
}

bool SaveAgents(const std::vector<AgentDefinition>& agents) {
    AgentCatalogue catalogue;
    for (const AgentDefinition& agent : agents) {
        catalogue.AddAgent(agent);
    }
    return catalogue.SaveCatalogue() == 0;
}

}  // namespace gleanwork::test

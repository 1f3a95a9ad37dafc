#include "ui/editor/AgentEditor.h"

#include <algorithm>
#include <array>

#include "storage/AgentCatalogue.h"
#include "ui/common/DisplayText.h"
#include "ui/editor/AgentNameCheck.h"
#include "ui/editor/CAgentPropActions.h"
#include "ui/editor/CAgentPropGeneral.h"
#include "ui/editor/CAgentPropOutput.h"
#include "ui/run/CAgentOutputDlg.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

namespace {

QString EditorCaption(AgentEditorMode mode, const AgentDefinition& agent) {
    if (mode == AgentEditorMode::New) {
        return QStringLiteral("New Agent");
    }
    return QStringLiteral("Edit Agent - ") + ToDisplayText(agent.name);
}

// A test run takes the agent as the pages hold it, unsaved changes included,
// but writes no output file: a trial must not add to or replace real output.
void StartTestRun(QWidget* parent, const AgentDefinition& agent,
                  const std::array<AgentPage*, 3>& pages) {
    AgentDefinition trial = agent;
    for (const AgentPage* page : pages) {
        page->WriteTo(trial);
    }
    trial.FILE.clear();
    if (trial.name.empty()) {
        trial.name = "New Agent";
    }
    new CAgentOutputDlg(trial, parent, CAgentOutputDlg::Start::kPaused);
}

// Closing without OK asks first while any page holds a change; No keeps the
// sheet open with the changes.
bool MayDiscard(PropertySheet& sheet, AgentEditorMode mode, const AgentDefinition& agent,
                const std::array<AgentPage*, 3>& pages) {
    if (std::none_of(pages.begin(), pages.end(),
                     [](const AgentPage* page) { return page->HasChanges(); })) {
        return true;
    }
    const QString question =
        mode == AgentEditorMode::New
            ? QStringLiteral("Discard the new agent?")
            : QStringLiteral("Discard the changes to agent %1?").arg(ToDisplayText(agent.name));
    return sheet.AskToDiscard(question);
}

// What the pages show for a new agent: every field empty, except that it
// obeys robots.txt.
AgentDefinition NewAgentValues() {
    AgentDefinition fresh;
    fresh.ROBOTS = "1";
    return fresh;
}

}  // namespace

// The pages work on their own values; `agent` is written only after OK, and
// then every field from the pages, so Cancel leaves it as it was. A new agent
// starts from the values of NewAgentValues whatever `agent` holds.
bool RunAgentEditor(QWidget* parent, AgentEditorMode mode, AgentDefinition& agent,
                    const AgentCatalogue& catalogue) {
    PropertySheet sheet(EditorCaption(mode, agent), parent);
    auto* general = new CAgentPropGeneral;
    auto* actions = new CAgentPropActions;
    const std::array<AgentPage*, 3> pages{general, actions, new CAgentPropOutput};
    for (AgentPage* page : pages) {
        sheet.AddPage(page);
        page->ReadFrom(mode == AgentEditorMode::Edit ? agent : NewAgentValues());
    }
    QObject::connect(actions, &CAgentPropActions::testRunRequested, &sheet,
                     [&sheet, &agent, &pages] { StartTestRun(&sheet, agent, pages); });
    sheet.SetDiscardCheck(
        [&sheet, mode, &agent, &pages] { return MayDiscard(sheet, mode, agent, pages); });
    general->SetNameCheck([&agent, &catalogue](const std::string& name) {
        return AgentNameProblem(name, agent, catalogue);
    });

    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    for (const AgentPage* page : pages) {
        page->WriteTo(agent);
    }
    return true;
}

}  // namespace gleanwork

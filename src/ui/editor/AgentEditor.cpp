#include "ui/editor/AgentEditor.h"

#include <array>

#include "storage/AgentCatalogue.h"
#include "ui/common/DisplayText.h"
#include "ui/editor/AgentNameCheck.h"
#include "ui/editor/CAgentPropActions.h"
#include "ui/editor/CAgentPropGeneral.h"
#include "ui/editor/CAgentPropOutput.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

namespace {

QString EditorCaption(AgentEditorMode mode, const AgentDefinition& agent) {
    if (mode == AgentEditorMode::New) {
        return QStringLiteral("New Agent");
    }
    return QStringLiteral("Edit Agent - ") + ToDisplayText(agent.name);
}

}  // namespace

// The pages work on their own values; `agent` is written only after OK, and
// then every field from the pages, so Cancel leaves it as it was. A new agent
// starts from empty page values whatever `agent` holds.
bool RunAgentEditor(QWidget* parent, AgentEditorMode mode, AgentDefinition& agent,
                    const AgentCatalogue& catalogue) {
    PropertySheet sheet(EditorCaption(mode, agent), parent);
    auto* general = new CAgentPropGeneral;
    const std::array<AgentPage*, 3> pages{general, new CAgentPropActions, new CAgentPropOutput};
    for (AgentPage* page : pages) {
        sheet.AddPage(page);
        if (mode == AgentEditorMode::Edit) {
            page->ReadFrom(agent);
        }
    }
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

#include "ui/editor/AgentEditor.h"

namespace gleanwork {

// The editor sheet is not built yet: nothing opens and nothing changes.
bool RunAgentEditor(QWidget*, AgentEditorMode, AgentDefinition&, const AgentCatalogue&) {
    return false;
}

}  // namespace gleanwork

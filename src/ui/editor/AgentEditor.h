#pragma once

class QWidget;

namespace gleanwork {

class AgentCatalogue;
struct AgentDefinition;

enum class AgentEditorMode { New, Edit };

// Shows the agent editor sheet modally over `agent`. On OK the pages' values
// are written into `agent` and the result is true; on Cancel `agent` is left
// as it was and the result is false. `catalogue` serves the name check; in
// Edit mode `agent` is the catalogue's own record.
bool RunAgentEditor(QWidget* parent, AgentEditorMode mode, AgentDefinition& agent,
                    const AgentCatalogue& catalogue);

}  // namespace gleanwork

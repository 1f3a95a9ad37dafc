#pragma once

#include "ui/editor/AgentPage.h"

namespace gleanwork {

// The Output settings page of the agent editor: the output file and whether a
// run adds to it. It also carries the five database settings through the
// editor in controls the user never sees.
class CAgentPropOutput : public AgentPage {
    Q_OBJECT

public:
    explicit CAgentPropOutput(QWidget* parent = nullptr);
};

}  // namespace gleanwork

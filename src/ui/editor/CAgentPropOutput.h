#pragma once

#include "ui/editor/AgentPage.h"

class QLabel;

namespace gleanwork {

// The Output settings page of the agent editor: the output file and whether a
// run adds to it, and the database that INSERTDATA and UPDATEDATA write into,
// with a button that tries it.
class CAgentPropOutput : public AgentPage {
    Q_OBJECT

public:
    explicit CAgentPropOutput(QWidget* parent = nullptr);

private:
    void OnTestConnection();

    QLabel* connectionResult_ = nullptr;
};

}  // namespace gleanwork

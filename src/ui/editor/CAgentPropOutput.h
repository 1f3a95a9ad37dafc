#pragma once

#include <string>
#include "ui/editor/AgentPage.h"

#include "ui/common/BackgroundWork.h"

class QLabel;
class QPushButton;

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
    void ShowConnectionResult(const std::string& report);

    QPushButton* testConnection_ = nullptr;
    QLabel* connectionResult_ = nullptr;
    BackgroundWork<std::string> connectionTest_{this};
};

}  // namespace gleanwork

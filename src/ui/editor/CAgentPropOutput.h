#pragma once

#include "ui/editor/AgentPage.h"
#include "ui/editor/ConnectionTest.h"

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
    void ShowConnectionResult(const QString& report);

    QPushButton* testConnection_ = nullptr;
    QLabel* connectionResult_ = nullptr;
    ConnectionTest* connectionTest_ = nullptr;
};

}  // namespace gleanwork

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/common/BackgroundWork.h"
#include "ui/editor/AgentPage.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace gleanwork {

// The Schedule and alerts page of the agent editor: when the agent runs by
// itself, whom its runs alert and on what, and how its history compares and
// keeps outputs. The lines of the agent's last kept output that the lines
// to ignore match are shown as the expression is typed. OK refuses a
// schedule, an expression or a webhook that cannot be used, saying why.
class CAgentPropSchedule : public AgentPage {
public:
    explicit CAgentPropSchedule(QWidget* parent = nullptr);

    // The agent whose kept outputs the page shows: its name when the editor
    // opened. None for a new agent.
    void SetHistoryAgent(const std::string& name) { historyAgent_ = name; }

protected:
    void OnInitPage() override;
    void LoadPage() override;
    bool OnApply() override;

private:
    void OnSendTestAlert();
    void ShowTestAlert(const std::vector<std::string>& lines);
    void ShowIgnoredLines();
    // Refuses with `problem`, the focus on `field`; true when there is none.
    bool Accept(const std::string& problem, QWidget* field);

    std::string historyAgent_;
    std::optional<std::string> lastOutput_;  // the newest kept output, once read
    QString lastOutputNote_;                 // why there is none, or when it was printed
    QPushButton* sendTestAlert_;
    QLabel* testAlertResult_;
    QLabel* ignoredSummary_;
    QListWidget* ignoredLines_;
    BackgroundWork<std::vector<std::string>> testAlert_{this};
};

}  // namespace gleanwork

#pragma once

#include <QTimer>

#include "ui/admin/AgentStatus.h"
#include "ui/admin/ScheduleSync.h"
#include "ui/common/BackgroundWork.h"
#include "ui/sheet/PropertyPage.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace gleanwork {

class AgentCatalogue;
struct AgentDefinition;

// The Agents page: lists the catalogue's agents by name, sorted without
// regard to case, each entry carrying its record; shows the selected agent's
// description; creates, edits, removes, duplicates and runs agents. Beside
// each name, its last run as the history holds it and its next scheduled
// run; both are read again while the page is open. Changes stay in memory
// until the sheet applies them, which saves the catalogue.
class CAgentAdmin : public PropertyPage {
    Q_OBJECT

public:
    CAgentAdmin();

    // The catalogue the page works on; set by the sheet before it is shown.
    void SetCatalogue(AgentCatalogue* catalogue) { catalogue_ = catalogue; }

    // The record of the selected entry, or nullptr.
    AgentDefinition* SelectedAgent() const;

    QTreeWidget* agentList() const { return agentList_; }
    QLabel* descriptionArea() const { return description_; }
    QPushButton* newButton() const { return newButton_; }
    QPushButton* editButton() const { return editButton_; }
    QPushButton* removeButton() const { return removeButton_; }
    QPushButton* duplicateButton() const { return duplicateButton_; }
    QPushButton* runButton() const { return runButton_; }
    QPushButton* historyButton() const { return historyButton_; }

public slots:
    void NewAgent();
    void EditAgent();
    void RemoveAgent();
    void DuplicateAgent();
    void RunAgent();
    // Opens the History window of the selected agent.
    void ShowHistory();
    void ShowDescription();
    // Reads the last runs again (off the window's thread) and shows them.
    void RefreshStatus();

signals:
    // The last runs just read are shown.
    void statusShown();

protected:
    // Fills the list, selects the first entry and shows its description.
    void OnInitPage() override;
    // Saves the whole catalogue, then writes and removes the timer units of
    // the agents whose schedule or name changed; a failed save is reported
    // and refused, what the units came to is reported.
    bool OnApply() override;

private:
    void AddEntry(AgentDefinition& agent);
    void RemoveSelectedEntry();
    void SyncSchedules();
    void ShowLastRuns(LastRuns runs);
    void ShowStatus(QTreeWidgetItem& item) const;

    AgentCatalogue* catalogue_ = nullptr;
    ScheduleSync schedules_;
    LastRuns lastRuns_;
    BackgroundWork<LastRuns> lastRunsRead_{this};
    QTimer refresh_;
    QTreeWidget* agentList_;
    QLabel* description_;
    QPushButton* newButton_;
    QPushButton* editButton_;
    QPushButton* removeButton_;
    QPushButton* duplicateButton_;
    QPushButton* runButton_;
    QPushButton* historyButton_;
};

}  // namespace gleanwork

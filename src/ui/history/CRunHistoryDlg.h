#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/HistoryStore.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace gleanwork {

// The runs of one agent as the history holds them, newest first: start,
// outcome, errors, lines printed, lines added and removed, seconds. The run
// selected shows its kept log and its output's changes against the run
// before it, added and removed lines coloured; "Open output" shows the
// output it printed. A modeless window of its own, one per agent.
class CRunHistoryDlg : public QDialog {
    Q_OBJECT

public:
    // Brings forward the window of `agent`, made (and its runs read) when
    // none is open. The window takes its own copy of `agent`.
    static CRunHistoryDlg* ShowHistory(const AgentDefinition& agent);

    QTreeWidget* runList() const { return runList_; }
    QPlainTextEdit* changes() const { return changes_; }
    QPlainTextEdit* log() const { return log_; }

public slots:
    // Reads the runs again, keeping the selected run selected.
    void ReadRuns();

private:
    explicit CRunHistoryDlg(const AgentDefinition& agent);

    void ShowRun();
    void OpenOutput();
    const RunEntry* SelectedRun() const;

    AgentDefinition agent_;
    std::unique_ptr<HistoryStore> store_;
    std::vector<RunEntry> runs_;
    QLabel* summary_;
    QTreeWidget* runList_;
    QTabWidget* tabs_;
    QPlainTextEdit* changes_;
    QPlainTextEdit* log_;
    QPushButton* openOutput_;
};

}  // namespace gleanwork

#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "run/RunOutcome.h"
#include "run/StepControl.h"
#include "storage/AgentDefinition.h"
#include "ui/common/EngineStop.h"
#include "ui/run/RunLogLines.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace gleanwork {

class RunLogModel;
class RunLogView;
class RunStatusLine;
class StepPanel;

// The Agent Output window: runs one agent on its own thread and lists the
// run log as it grows. The run's RunLog is the window's RunLogLines, which
// stores each line before LogLine returns, in the order written; the list
// shows the new lines on a short timer. The same timer notices that the run
// has paused or ended: the run's thread only writes its lines and sets
// flags, it never calls or posts to the window.
//
// The window is modeless and owns itself: made with `new`, it shows itself
// and starts its run at once. Close asks the run to stop and hides the
// window; the window deletes itself once it is closed and its run has ended,
// so it stays valid while its thread may still write to it.
//
// Pause, Step (F10), Continue (F5) and Stop (Shift+F5) drive the run
// between script lines, each enabled only while it can act; while it is
// paused a StepPanel beside the log shows the interpreter's state, and F9
// sets or clears a breakpoint on its script line in front.
class CAgentOutputDlg : public QDialog {
    Q_OBJECT

public:
    enum class Start {
        kRunning,  // run the script through
        kPaused,   // a test run: pause before the first script line, write nothing
    };

    // Runs a copy of `agent` taken now; the record may change or go while
    // the run lasts.
    explicit CAgentOutputDlg(const AgentDefinition& agent, QWidget* parent = nullptr,
                             Start start = Start::kRunning);
    // Stops the run and waits for its thread.
    ~CAgentOutputDlg() override;

    bool IsRunFinished() const { return runFinished_.load(); }
    RunLogView* list() const { return list_; }
    RunLogModel* model() const { return model_; }
    StepControl& stepControl() { return stepControl_; }
    StepPanel* stepPanel() const { return stepPanel_; }
    RunStatusLine* statusLine() const { return status_; }
    // Shows every line stored so far (the timer does the same every ~30 ms).
    void ShowNewLines();

    // Program end: asks the run of every Agent Output window to stop, waits
    // for them all and deletes the windows.
    static void EndAllRuns();

public slots:
    // Close (the button, Escape or the close box).
    void reject() override;
    // Asks for a file and writes the whole run log to it, every line.
    void SaveLogAs();
    // Writes the run log to `path` (see RunLogLines::SaveAll): the number of
    // lines it had to leave out, or nothing with `error` set on failure.
    std::optional<std::uint64_t> SaveLog(const std::string& path, int& error) const {
        return lines_->SaveAll(path, error);
    }

signals:
    // The run has ended and all of its lines are in the list.
    void runFinished();

private:
    void StopRun();
    void OnRunFinished();
    void OnPaused();
    void OnPause();
    // Step (pausing again after one line) or Continue.
    void Resume(bool pauseAgain);
    // Enables the buttons that can act on the run as it stands.
    void UpdateRunButtons();
    void OpenOutputFile();
    // Shows `note` below the status line, until the next one.
    void ShowNote(const QString& note);
    QWidget* MakeButtonRow();
    void ShowStepPanel();

    StepControl stepControl_;  // before the widgets that refer to it
    RunLogView* list_;
    StepPanel* stepPanel_;
    RunStatusLine* status_;
    QLabel* note_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* stepButton_ = nullptr;
    QPushButton* continueButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    const AgentDefinition agent_;
    const bool testRun_;
    std::shared_ptr<RunLogLines> lines_;
    RunLogModel* model_;
    QTimer refreshTimer_;
    EngineStop stop_;
    RunOutcome outcome_;  // written by the run's thread before runFinished_
    std::atomic<bool> runFinished_{false};
    std::atomic<bool> pauseToShow_{false};
    bool closed_ = false;
    bool paused_ = false;        // the window shows the run paused
    bool pausePending_ = false;  // the run pauses before its next line
    static QPointer<CAgentOutputDlg> lastOpened_;
    std::jthread runThread_;
};

}  // namespace gleanwork

#include "ui/run/CAgentOutputDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "base/ErrorLine.h"
#include "base/SystemReason.h"
#include "run/AgentEngine.h"
#include "storage/InstallFolder.h"
#include "ui/common/Buttons.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"
#include "ui/run/RunStatusLine.h"
#include "ui/run/StepPanel.h"
#include "ui/run/WindowCascade.h"
#include "watch/AlertPost.h"
#include "watch/RunWatch.h"

namespace gleanwork {

namespace {

constexpr int kRefreshMilliseconds = 30;

// The window that a new Output window keeps off: the one it was opened from
// (its parent, else the active window), unless that is an Output window.
const QWidget* Opener(const QWidget* parent) {
    const QWidget* opener = parent != nullptr ? parent->window() : QApplication::activeWindow();
    return qobject_cast<const CAgentOutputDlg*>(opener) != nullptr ? nullptr : opener;
}

// The run thread's work: runs `agent` once into `log`, which ends with
// "Agent completed." however the run ends, and returns what it came to.
RunOutcome RunAgent(const AgentDefinition& agent, RunLogLines& log, StepControl& stepControl,
                    EngineStop& stop, bool testRun) {
    try {
        RunOutcome outcome;
        {
            AgentEngine engine(agent, &log);
            engine.SetStepControl(&stepControl);
            engine.SetTestRun(testRun);
            const EngineStop::Attached attached(stop, engine);
            outcome = engine.Run();
        }
        if (!testRun) {
            // What recording logs is part of the run's log, its errors too.
            outcome.errors += WatchRun(agent, outcome, log,
                                       [&log] { return log.Parts(kKeptLogLines); }, {HttpWebPost()})
                                  .errors;
        }
        return outcome;
    } catch (const std::exception& error) {
        RunOutcome outcome;
        outcome.end = RunEnd::kCompletedWithErrors;
        outcome.errors = 1;
        outcome.firstError =
            ErrorLine("The run ends on an unexpected failure: " + std::string(error.what()));
        outcome.testRun = testRun;
        log.LogLine(outcome.firstError);
        log.LogLine("Agent completed.");
        return outcome;
    }
}

}  // namespace

QPointer<CAgentOutputDlg> CAgentOutputDlg::lastOpened_;

CAgentOutputDlg::CAgentOutputDlg(const AgentDefinition& agent, QWidget* parent, Start start)
    : QDialog(parent),
      list_(new RunLogView(this)),
      stepPanel_(new StepPanel(agent.SCRIPT, stepControl_, this)),
      status_(new RunStatusLine(this)),
      agent_(agent),
      testRun_(start == Start::kPaused),
      lines_(std::make_shared<RunLogLines>()),
      model_(new RunLogModel(lines_, this)) {
    setWindowTitle(QStringLiteral("Agent Output - ") + QString::fromStdString(agent.name));
    setModal(false);
    list_->setObjectName("RunLogList");
    list_->setModel(model_);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(list_);
    splitter->addWidget(stepPanel_);
    stepPanel_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("outputNote"));
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(status_);
    layout->addWidget(note_);
    layout->addWidget(MakeButtonRow());
    resize(540, 340);
    stepControl_.SetPauseListener([&pause = pauseToShow_] { pause.store(true); });
    if (start == Start::kPaused) {
        OnPause();
    }

    refreshTimer_.setInterval(kRefreshMilliseconds);
    connect(&refreshTimer_, &QTimer::timeout, this, &CAgentOutputDlg::ShowNewLines);
    refreshTimer_.start();

    PlaceNewWindow(*this, lastOpened_.data(), Opener(parent));
    lastOpened_ = this;
    show();
    // The thread reaches the window's run state, never the window.
    runThread_ = std::jthread([&agent = agent_, lines = lines_, &step = stepControl_, &stop = stop_,
                               testRun = testRun_, &outcome = outcome_, &finished = runFinished_] {
        outcome = RunAgent(agent, *lines, step, stop, testRun);
        finished.store(true);
    });
}

QWidget* CAgentOutputDlg::MakeButtonRow() {
    auto* row = new QWidget(this);
    pauseButton_ = MakeButton(row, "Pause", "Pause");
    stepButton_ = MakeButton(row, "Step", "Step");
    continueButton_ = MakeButton(row, "Continue", "Continue");
    stopButton_ = MakeButton(row, "Stop", "Stop");
    auto* openOutput = MakeButton(row, "Open output file", "OpenOutputFile");
    auto* close = MakeButton(row, "Close", "Close");
    auto* saveLog = MakeButton(row, "Save Log...", "SaveLog");
    follow_ = new QCheckBox(QStringLiteral("Follow"), row);
    follow_->setObjectName(QStringLiteral("Follow"));
    openOutput->setEnabled(!agent_.FILE.empty());
    const std::pair<QPushButton*, QKeySequence> keys[] = {
        {stepButton_, QKeySequence(Qt::Key_F10)},
        {continueButton_, QKeySequence(Qt::Key_F5)},
        {stopButton_, QKeySequence(Qt::SHIFT | Qt::Key_F5)}};
    for (const auto& [button, key] : keys) {
        button->setShortcut(key);
        button->setToolTip(key.toString(QKeySequence::NativeText));
    }
    auto* toggle = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(toggle, &QShortcut::activated, stepPanel_, &StepPanel::ToggleBreakpoint);
    connect(pauseButton_, &QPushButton::clicked, this, &CAgentOutputDlg::OnPause);
    connect(stepButton_, &QPushButton::clicked, this, [this] { Resume(true); });
    connect(continueButton_, &QPushButton::clicked, this, [this] { Resume(false); });
    connect(stopButton_, &QPushButton::clicked, this, [this] {
        StopRun();
        UpdateRunButtons();
    });
    connect(openOutput, &QPushButton::clicked, this, &CAgentOutputDlg::OpenOutputFile);
    connect(close, &QPushButton::clicked, this, &CAgentOutputDlg::reject);
    connect(saveLog, &QPushButton::clicked, this, &CAgentOutputDlg::SaveLogAs);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(follow_);
    layout->addStretch(1);
    for (QPushButton* button :
         {pauseButton_, stepButton_, continueButton_, stopButton_, openOutput, close, saveLog}) {
        layout->addWidget(button);
    }
    UpdateRunButtons();
    return row;
}

void CAgentOutputDlg::UpdateRunButtons() {
    const bool going = !runFinished_.load() && !stop_.IsRequested();
    pauseButton_->setEnabled(going && !paused_ && !pausePending_);
    stepButton_->setEnabled(going);
    continueButton_->setEnabled(going && paused_);
    stopButton_->setEnabled(going);
}

void CAgentOutputDlg::ShowStepPanel() {
    if (!stepPanel_->isVisible()) {
        stepPanel_->show();
        resize(std::max(width(), 1000), std::max(height(), 600));
    }
}

CAgentOutputDlg::~CAgentOutputDlg() {
    StopRun();
    if (runThread_.joinable()) {
        runThread_.join();
    }
}

void CAgentOutputDlg::ShowNewLines() {
    const bool finished = runFinished_.load();
    if (model_->Refresh()) {
        list_->SetLongestTextLength(
            std::min(lines_->LongestLength(), RunLogModel::kMostShownCharacters + 1));
    }
    if (follow_->isChecked()) {
        list_->scrollToBottom();
    }
    status_->Update(lines_->Count());
    if (pauseToShow_.exchange(false)) {
        OnPaused();
    }
    if (finished && refreshTimer_.isActive()) {
        refreshTimer_.stop();
        OnRunFinished();
    }
}

void CAgentOutputDlg::OnPaused() {
    const std::optional<StepSnapshot> snapshot = stepControl_.Snapshot();
    if (!snapshot) {
        return;
    }
    paused_ = true;
    pausePending_ = false;
    UpdateRunButtons();
    ShowStepPanel();
    ShowNewLines();
    status_->SetState(RunStatusLine::State::kPaused, snapshot->lineIndex + 1);
    status_->Update(lines_->Count());
    stepPanel_->ShowPaused(*snapshot);
}

void CAgentOutputDlg::OnPause() {
    stepControl_.RequestPause();
    pausePending_ = true;
    UpdateRunButtons();
    ShowStepPanel();
}

void CAgentOutputDlg::Resume(bool pauseAgain) {
    stepPanel_->ShowRunning();
    status_->SetState(RunStatusLine::State::kRunning);
    paused_ = false;
    pausePending_ = pauseAgain;
    UpdateRunButtons();
    if (pauseAgain) {
        stepControl_.Step();
    } else {
        stepControl_.Continue();
    }
}

// xdg-open, as the desktop's file manager would; the window says why when
// the file cannot be shown. The process belongs to the application, so that
// closing the window leaves a program it started alone.
void CAgentOutputDlg::OpenOutputFile() {
    const QString path = QString::fromStdString(InInstallFolder(agent_.FILE));
    if (!QFileInfo::exists(path)) {
        ShowNote(QStringLiteral("The output file %1 does not exist.").arg(path));
        return;
    }
    auto* opener = new QProcess(qApp);
    const QPointer<CAgentOutputDlg> window(this);
    const auto failed = [window, path] {
        if (window) {
            window->ShowNote(QStringLiteral("No program is set up to open %1.").arg(path));
        }
    };
    connect(opener, &QProcess::finished, opener,
            [opener, failed](int code, QProcess::ExitStatus status) {
                opener->deleteLater();
                if (status != QProcess::NormalExit || code != 0) {
                    failed();
                }
            });
    connect(opener, &QProcess::errorOccurred, opener,
            [opener, failed](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    opener->deleteLater();
                    failed();
                }
            });
    opener->start(QStringLiteral("xdg-open"), {path});
}

void CAgentOutputDlg::ShowNote(const QString& note) {
    note_->setText(note);
    note_->show();
}

void CAgentOutputDlg::SaveLogAs() {
    const QString path = QFileDialog::getSaveFileName(this, "Save Log");
    if (path.isEmpty()) {
        return;
    }
    int error = 0;
    const std::optional<std::uint64_t> leftOut = SaveLog(path.toStdString(), error);
    if (!leftOut) {
        QMessageBox::warning(this, "Save Log",
                             "The log could not be saved to " + path + ": " +
                                 QString::fromStdString(SystemReason(error)));
    } else if (*leftOut > 0) {
        ShowNote(QStringLiteral("The log was too long to keep whole: %1 holds its first and "
                                "latest lines, and a line where %2 lines in between were left "
                                "out.")
                     .arg(path)
                     .arg(*leftOut));
    }
}

void CAgentOutputDlg::StopRun() {
    stop_.Request();
    stepControl_.Release();
}

void CAgentOutputDlg::reject() {
    StopRun();
    closed_ = true;
    QDialog::reject();
    if (runFinished_.load()) {
        ShowNewLines();  // announces the end, unless the timer already has
        deleteLater();
    }
}

void CAgentOutputDlg::OnRunFinished() {
    const std::optional<StepSnapshot> end = stepControl_.EndState();
    stepPanel_->ShowEnded(end ? &*end : nullptr);
    UpdateRunButtons();
    status_->SetState(outcome_.end == RunEnd::kStopped ? RunStatusLine::State::kStopped
                                                       : RunStatusLine::State::kCompleted,
                      0, outcome_.errors);
    ShowNewLines();
    emit runFinished();
    if (closed_) {
        deleteLater();
    }
}

void CAgentOutputDlg::EndAllRuns() {
    std::vector<CAgentOutputDlg*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<CAgentOutputDlg*>(widget)) {
            window->StopRun();
            windows.push_back(window);
        }
    }
    for (CAgentOutputDlg* window : windows) {
        delete window;
    }
}

}  // namespace gleanwork

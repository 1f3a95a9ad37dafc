#include "ui/run/CAgentOutputDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <vector>

#include "base/SystemReason.h"
#include "run/AgentEngine.h"
#include "storage/InstallFolder.h"
#include "ui/common/Buttons.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"
#include "ui/run/RunStatusLine.h"
#include "ui/run/StepPanel.h"
#include "ui/run/WindowCascade.h"

namespace gleanwork {

namespace {

constexpr int kRefreshMilliseconds = 30;
constexpr std::string_view kErrorPrefix = "ERROR: ";

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
    layout->addWidget(status_);
    layout->addWidget(MakeButtonRow());
    resize(540, 340);
    stepControl_.SetPauseListener([this] { pauseToShow_.store(true); });
    if (start == Start::kPaused) {
        stepControl_.RequestPause();
        ShowStepPanel();
    }

    refreshTimer_.setInterval(kRefreshMilliseconds);
    connect(&refreshTimer_, &QTimer::timeout, this, &CAgentOutputDlg::ShowNewLines);
    refreshTimer_.start();

    PlaceCascaded(*this, lastOpened_.data());
    lastOpened_ = this;
    show();
    runThread_ = std::jthread([this] { RunThreadProc(); });
}

QWidget* CAgentOutputDlg::MakeButtonRow() {
    auto* row = new QWidget(this);
    auto* pause = MakeButton(row, "Pause", "Pause");
    auto* step = MakeButton(row, "Step", "Step");
    auto* resume = MakeButton(row, "Continue", "Continue");
    auto* openOutput = MakeButton(row, "Open output file", "OpenOutputFile");
    auto* close = MakeButton(row, "Close", "Close");
    auto* saveLog = MakeButton(row, "Save Log...", "SaveLog");
    follow_ = new QCheckBox(QStringLiteral("Follow"), row);
    follow_->setObjectName(QStringLiteral("Follow"));
    openOutput->setEnabled(!agent_.FILE.empty());
    connect(pause, &QPushButton::clicked, this, [this] {
        stepControl_.RequestPause();
        ShowStepPanel();
    });
    connect(step, &QPushButton::clicked, this, &CAgentOutputDlg::OnStep);
    connect(resume, &QPushButton::clicked, this, &CAgentOutputDlg::OnContinue);
    connect(openOutput, &QPushButton::clicked, this, &CAgentOutputDlg::OpenOutputFile);
    connect(close, &QPushButton::clicked, this, &CAgentOutputDlg::reject);
    connect(saveLog, &QPushButton::clicked, this, &CAgentOutputDlg::SaveLogAs);
    connect(this, &CAgentOutputDlg::runFinished, row, [pause, step, resume] {
        for (QPushButton* button : {pause, step, resume}) {
            button->setEnabled(false);
        }
    });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(follow_);
    layout->addStretch(1);
    for (QPushButton* button : {pause, step, resume, openOutput, close, saveLog}) {
        layout->addWidget(button);
    }
    return row;
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

// A line break inside an entry starts a new row, so that every line of the
// entry shows.
void CAgentOutputDlg::LogLine(std::string_view line) {
    if (line.starts_with(kErrorPrefix)) {
        errorLines_.fetch_add(1, std::memory_order_relaxed);
    }
    for (std::size_t lineEnd = line.find('\n'); lineEnd != std::string_view::npos;
         lineEnd = line.find('\n')) {
        lines_->Append(line.substr(0, lineEnd));
        line.remove_prefix(lineEnd + 1);
    }
    lines_->Append(line);
}

void CAgentOutputDlg::LogCommand(std::string_view line) {
    lines_->Append(line);
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
    ShowStepPanel();
    ShowNewLines();
    status_->SetState(RunStatusLine::State::kPaused, snapshot->lineIndex + 1);
    status_->Update(lines_->Count());
    stepPanel_->ShowPaused(*snapshot);
}

void CAgentOutputDlg::OnStep() {
    stepPanel_->ShowRunning();
    status_->SetState(RunStatusLine::State::kRunning);
    stepControl_.Step();
}

void CAgentOutputDlg::OnContinue() {
    stepPanel_->ShowRunning();
    status_->SetState(RunStatusLine::State::kRunning);
    stepControl_.Continue();
}

void CAgentOutputDlg::OpenOutputFile() {
    const QString path = QString::fromStdString(InInstallFolder(agent_.FILE));
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CAgentOutputDlg::RunThreadProc() {
    try {
        RunEngine();
    } catch (const std::exception& error) {
        LogLine("ERROR: The run ends on an unexpected failure: " + std::string(error.what()));
        LogLine("Agent completed.");
    }
    runFinished_.store(true);
}

void CAgentOutputDlg::RunEngine() {
    AgentEngine engine(agent_, this);
    engine.SetStepControl(&stepControl_);
    engine.SetTestRun(testRun_);
    const EngineStop::Attached attached(stop_, engine);
    engine.Run();
}

void CAgentOutputDlg::SaveLogAs() {
    const QString path = QFileDialog::getSaveFileName(this, "Save Log");
    if (path.isEmpty()) {
        return;
    }
    int error = 0;
    if (!SaveLog(path.toStdString(), error)) {
        QMessageBox::warning(this, "Save Log",
                             "The log could not be saved to " + path + ": " +
                                 QString::fromStdString(SystemReason(error)));
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
    stepPanel_->ShowEnded();
    status_->SetState(
        stop_.IsRequested() ? RunStatusLine::State::kStopped : RunStatusLine::State::kCompleted, 0,
        errorLines_.load());
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

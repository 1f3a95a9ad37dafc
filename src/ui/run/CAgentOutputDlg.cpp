#include "ui/run/CAgentOutputDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "engine/AgentEngine.h"
#include "ui/common/Buttons.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"

namespace gleanwork {

namespace {

constexpr int kRefreshMilliseconds = 30;

}  // namespace

CAgentOutputDlg::CAgentOutputDlg(const AgentDefinition& agent, QWidget* parent)
    : QDialog(parent),
      list_(new RunLogView(this)),
      agent_(agent),
      lines_(std::make_shared<RunLogLines>()),
      model_(new RunLogModel(lines_, this)) {
    setWindowTitle("Agent Output");
    setModal(false);
    list_->setObjectName("RunLogList");
    list_->setModel(model_);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QPushButton* close = MakeButton(this, "Close", "Close");
    connect(close, &QPushButton::clicked, this, &CAgentOutputDlg::reject);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(close);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttonRow);
    resize(540, 340);

    refreshTimer_.setInterval(kRefreshMilliseconds);
    connect(&refreshTimer_, &QTimer::timeout, this, &CAgentOutputDlg::ShowNewLines);
    refreshTimer_.start();

    show();
    runThread_ = std::jthread([this] { RunThreadProc(); });
}

CAgentOutputDlg::~CAgentOutputDlg() {
    StopRun();
    if (runThread_.joinable()) {
        runThread_.join();
    }
}

void CAgentOutputDlg::LogLine(std::string_view line) {
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
    if (finished) {
        refreshTimer_.stop();
    }
}

void CAgentOutputDlg::RunThreadProc() {
    {
        AgentEngine engine(agent_, this);
        {
            const std::lock_guard lock(engineMutex_);
            engine_ = &engine;
            if (stopRequested_) {
                engine.Stop();
            }
        }
        engine.Run();
        const std::lock_guard lock(engineMutex_);
        engine_ = nullptr;
    }
    runFinished_.store(true);
    QMetaObject::invokeMethod(this, &CAgentOutputDlg::OnRunFinished, Qt::QueuedConnection);
}

void CAgentOutputDlg::StopRun() {
    const std::lock_guard lock(engineMutex_);
    stopRequested_ = true;
    if (engine_ != nullptr) {
        engine_->Stop();
    }
}

void CAgentOutputDlg::reject() {
    StopRun();
    closed_ = true;
    QDialog::reject();
    if (runFinished_.load()) {
        deleteLater();
    }
}

void CAgentOutputDlg::OnRunFinished() {
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

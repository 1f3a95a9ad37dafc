#include "ui/editor/CPreviewSourceDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <string>
#include <vector>

#include "base/ErrorLine.h"
#include "run/AgentEngine.h"
#include "ui/common/DisplayText.h"
#include "ui/editor/SourcePreview.h"

namespace gleanwork {

namespace {

constexpr int kOutcomePollMilliseconds = 30;

// Keeps the lines that a read logs, to show them when it fails.
class PreviewLog : public RunLog {
public:
    void LogLine(std::string_view line) override { Add(line); }
    void LogCommand(std::string_view line) override { Add(line); }

    std::string text;

private:
    void Add(std::string_view line) {
        text.append(line);
        text.push_back('\n');
    }
};

}  // namespace

CPreviewSourceDlg::CPreviewSourceDlg(const QString& text)
    : text_(text), textArea_(new QPlainTextEdit(this)) {
    Build();
}

CPreviewSourceDlg::CPreviewSourceDlg(const AgentDefinition& agent, const HttpLimits& limits)
    : text_(QStringLiteral("Reading the source...")), textArea_(new QPlainTextEdit(this)) {
    Build();
    reading_ = true;
    outcomePoll_.setInterval(kOutcomePollMilliseconds);
    connect(&outcomePoll_, &QTimer::timeout, this, &CPreviewSourceDlg::CollectOutcome);
    outcomePoll_.start();
    reader_ = std::jthread([this, agent, limits] { ReadSource(agent, limits); });
}

CPreviewSourceDlg::~CPreviewSourceDlg() {
    StopReading();
}

void CPreviewSourceDlg::Build() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Preview Source"));
    setModal(false);

    textArea_->setReadOnly(true);
    textArea_->setLineWrapMode(QPlainTextEdit::NoWrap);
    textArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textArea_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textArea_);
    layout->addWidget(buttons);
    resize(640, 420);

    DoDataExchange();
    show();
}

void CPreviewSourceDlg::DoDataExchange() {
    textArea_->setPlainText(text_);
}

// On the reader thread.
void CPreviewSourceDlg::ReadSource(const AgentDefinition& agent, const HttpLimits& limits) {
    PreviewLog log;
    std::string shown;
    try {
        AgentEngine engine(agent, &log);
        engine.SetHttpLimits(limits);
        const EngineStop::Attached attached(stop_, engine);
        const SourceResult read = engine.ReadSource();
        shown = read.failure.Failed() ? log.text : AddCarriageReturns(read.text);
    } catch (const std::exception& error) {
        shown = log.text +
                ErrorLine("The read ends on an unexpected failure: " + std::string(error.what()));
    }
    outcome_.Put(ToDisplayText(shown));
}

void CPreviewSourceDlg::CollectOutcome() {
    const std::optional<QString> outcome = outcome_.Take();
    if (outcome) {
        outcomePoll_.stop();
        ShowOutcome(*outcome);
    }
}

void CPreviewSourceDlg::ShowOutcome(const QString& text) {
    reading_ = false;
    text_ = text;
    DoDataExchange();
    emit readFinished();
}

void CPreviewSourceDlg::StopReading() {
    stop_.Request();
    if (reader_.joinable()) {
        reader_.join();
    }
}

}  // namespace gleanwork

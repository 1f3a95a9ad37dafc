#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <thread>

#include "net/HttpLimits.h"
#include "storage/AgentDefinition.h"
#include "ui/common/EngineStop.h"
#include "ui/common/ThreadHandover.h"

class QPlainTextEdit;

namespace gleanwork {

// A modeless window that shows a source text read-only, unwrapped, with
// both scroll bars. It has no owner: it stays open on its own until the user
// closes it with Cancel or the close box, and then deletes itself.
class CPreviewSourceDlg : public QDialog {
    Q_OBJECT

public:
    // Makes the window showing `text` and shows it at once.
    explicit CPreviewSourceDlg(const QString& text);
    // Makes the window and reads the source of `agent` on a thread of its
    // own, as a run would; Cancel stops the read. When the read fails, the
    // window shows the lines that a run would log for it. The reading thread
    // leaves its outcome for the window, which collects it on a short timer.
    CPreviewSourceDlg(const AgentDefinition& agent, const HttpLimits& limits);
    ~CPreviewSourceDlg() override;

    const QString& text() const { return text_; }
    bool IsReading() const { return reading_; }

signals:
    // The read has ended and the window shows its outcome.
    void readFinished();

private:
    void Build();
    void DoDataExchange();
    void ReadSource(const AgentDefinition& agent, const HttpLimits& limits);
    void CollectOutcome();
    void ShowOutcome(const QString& text);
    void StopReading();

    QString text_;
    QPlainTextEdit* textArea_;
    bool reading_ = false;
    EngineStop stop_;
    ThreadHandover<QString> outcome_;
    QTimer outcomePoll_;
    std::jthread reader_;
};

}  // namespace gleanwork

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "storage/AgentDefinition.h"
#include "ui/common/ThreadHandover.h"

namespace gleanwork {

// Tries an agent's database settings on a thread of its own, so that a
// server that does not answer never holds the window. The thread shares
// nothing with the window but its outcome, which the window collects on a
// short timer; a window that closes first leaves the thread to finish alone.
class ConnectionTest : public QObject {
    Q_OBJECT

public:
    explicit ConnectionTest(QObject* parent = nullptr);

    // Starts a test of `agent`'s settings unless one is under way. A test
    // that cannot start reports so through `finished` at once.
    void Start(const AgentDefinition& agent);
    bool IsRunning() const { return outcome_ != nullptr; }

signals:
    // What the test found, in words (see CheckDatabaseSettings).
    void finished(const QString& report);

private:
    void Collect();

    // The test's report; the last of the thread and the window to go frees it.
    std::shared_ptr<ThreadHandover<std::string>> outcome_;
    QTimer poll_;
};

}  // namespace gleanwork

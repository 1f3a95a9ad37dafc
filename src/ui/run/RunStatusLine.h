#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <cstddef>

namespace gleanwork {

// The status line of an Agent Output window: what the run is doing, how
// many lines its log holds and how long it has run, paused time left out,
// as "Running - 12 lines - 0:03".
class RunStatusLine : public QLabel {
    Q_OBJECT

public:
    enum class State { kRunning, kPaused, kCompleted, kStopped };

    explicit RunStatusLine(QWidget* parent = nullptr);

    // `line` (from 1) counts for kPaused, `errors` for kCompleted.
    void SetState(State state, std::size_t line = 0, std::size_t errors = 0);
    // Shows the number of log lines and the time run so far.
    void Update(std::size_t logLines);

    static QString StateText(State state, std::size_t line, std::size_t errors);

    // The time run so far, paused time left out.
    qint64 RunMilliseconds() const;

private:
    QElapsedTimer elapsed_;
    qint64 endedAfterMs_ = -1;
    qint64 pausedSinceMs_ = -1;
    qint64 pausedMs_ = 0;
    QString stateText_;
};

}  // namespace gleanwork

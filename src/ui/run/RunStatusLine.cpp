#include "ui/run/RunStatusLine.h"

namespace gleanwork {

RunStatusLine::RunStatusLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("runStatus"));
    elapsed_.start();
    SetState(State::kRunning);
}

QString RunStatusLine::StateText(State state, std::size_t line, std::size_t errors) {
    switch (state) {
        case State::kRunning:
            return QStringLiteral("Running");
        case State::kPaused:
            return QStringLiteral("Paused at line %1").arg(line);
        case State::kCompleted:
            return errors == 0 ? QStringLiteral("Completed")
                               : QStringLiteral("Completed with errors (%1)").arg(errors);
        case State::kStopped:
            return QStringLiteral("Stopped");
    }
    return {};
}

void RunStatusLine::SetState(State state, std::size_t line, std::size_t errors) {
    stateText_ = StateText(state, line, errors);
    const qint64 now = elapsed_.elapsed();
    if (pausedSinceMs_ >= 0) {
        pausedMs_ += now - pausedSinceMs_;
        pausedSinceMs_ = -1;
    }
    if (state == State::kPaused) {
        pausedSinceMs_ = now;
    }
    if (state == State::kCompleted || state == State::kStopped) {
        endedAfterMs_ = now;
    }
}

qint64 RunStatusLine::RunMilliseconds() const {
    const qint64 until = endedAfterMs_ >= 0    ? endedAfterMs_
                         : pausedSinceMs_ >= 0 ? pausedSinceMs_
                                               : elapsed_.elapsed();
    return until - pausedMs_;
}

void RunStatusLine::Update(std::size_t logLines) {
    const qint64 seconds = RunMilliseconds() / 1000;
    const QString text = QStringLiteral("%1 - %2 lines - %3:%4")
                             .arg(stateText_)
                             .arg(logLines)
                             .arg(seconds / 60)
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (text != this->text()) {
        setText(text);
    }
}

}  // namespace gleanwork

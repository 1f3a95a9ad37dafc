// Times one agent run into an Agent Output window, for bench/runlog.
//
// Usage: runlog_bench AGENT_FILE SAVED_LOG
//
// Runs the agent in a shown window (the caller picks the Qt platform, e.g.
// offscreen), saves the window's whole log to SAVED_LOG as Save Log does, and
// prints, one "key value" per line: the number of lines saved, the
// seconds from opening the window to the end of the run, the longest pause
// of the window's thread during the run, and the time to scroll the list to
// its last line and paint it.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "storage/AgentFile.h"
#include "ui/run/CAgentOutputDlg.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"

using gleanwork::AgentDefinition;
using gleanwork::CAgentOutputDlg;

namespace {

// Notes the longest gap between ticks of a fast timer: how long the window's
// thread was kept from its events.
class PauseProbe {
public:
    PauseProbe() {
        clock_.start();
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        timer_.start();
    }
    double LongestMilliseconds() const { return static_cast<double>(longest_) / 1e6; }

private:
    QElapsedTimer clock_;
    QTimer timer_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

// The number of line feeds in the file `path`.
std::size_t CountLines(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::size_t lines = 0;
    std::vector<char> block(std::size_t{1} << 20);
    while (file.read(block.data(), static_cast<std::streamsize>(block.size())) ||
           file.gcount() > 0) {
        lines += static_cast<std::size_t>(
            std::count(block.begin(), block.begin() + file.gcount(), '\n'));
    }
    return lines;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: runlog_bench AGENT_FILE SAVED_LOG\n");
        return 2;
    }
    AgentDefinition agent;
    if (gleanwork::ReadAgentFile(agent, argv[1]) != 0) {
        std::fprintf(stderr, "runlog_bench: cannot read %s\n", argv[1]);
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    PauseProbe probe;
    auto* window = new CAgentOutputDlg(agent);
    double runSeconds = 0;
    QEventLoop untilFinished;
    QObject::connect(window, &CAgentOutputDlg::runFinished, [&] {
        runSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        untilFinished.quit();
    });
    untilFinished.exec();
    const double longestPause = probe.LongestMilliseconds();

    gleanwork::RunLogView* list = window->list();
    QApplication::processEvents();
    clock.restart();
    list->scrollToBottom();
    list->viewport()->repaint();
    const double scrollMilliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const bool atEnd = list->verticalScrollBar()->value() == list->verticalScrollBar()->maximum();

    int error = 0;
    if (!window->SaveLog(argv[2], error)) {
        std::fprintf(stderr, "runlog_bench: cannot save the log to %s\n", argv[2]);
        return 2;
    }
    std::printf("lines %zu\n", CountLines(argv[2]));
    std::printf("run_seconds %.3f\n", runSeconds);
    std::printf("longest_pause_ms %.1f\n", longestPause);
    std::printf("scroll_to_end_ms %.1f\n", scrollMilliseconds);
    std::printf("scrolled_to_end %d\n", atEnd ? 1 : 0);
    delete window;
    return 0;
}

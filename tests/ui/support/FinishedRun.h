#pragma once

#include <QStringList>

#include "ui/run/CAgentOutputDlg.h"

namespace gleanwork::test {

// How long a test waits for a run in an Agent Output window to end.
constexpr int kRunTimeoutMs = 20000;

// The rows an Agent Output window lists.
QStringList ShownLines(const CAgentOutputDlg& window);

// Keeps what a window listed when its run ended; the window may delete
// itself right afterwards.
struct FinishedRun {
    explicit FinishedRun(CAgentOutputDlg* window);

    bool finished = false;
    QStringList lines;
};

}  // namespace gleanwork::test

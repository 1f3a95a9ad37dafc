#include "support/FinishedRun.h"

#include "ui/run/RunLogModel.h"

namespace gleanwork::test {

QStringList ShownLines(const CAgentOutputDlg& window) {
    QStringList lines;
    const RunLogModel& model = *window.model();
    for (int row = 0; row < model.rowCount(); ++row) {
        lines << model.RowText(row);
    }
    return lines;
}

FinishedRun::FinishedRun(CAgentOutputDlg* window) {
    QObject::connect(window, &CAgentOutputDlg::runFinished, window, [this, window] {
        lines = ShownLines(*window);
        finished = true;
    });
}

}  // namespace gleanwork::test

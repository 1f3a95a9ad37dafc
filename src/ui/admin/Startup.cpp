#include "ui/admin/Startup.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/admin/CGleanworkSheet.h"
#include "ui/run/CAgentOutputDlg.h"

namespace gleanwork {

int RunGleanwork(const std::function<int()>& startSockets) {
    QApplication::setQuitOnLastWindowClosed(false);
    if (startSockets() != 0) {
        QMessageBox failure(QMessageBox::Warning, QApplication::applicationName(),
                            "Windows sockets initialization failed.", QMessageBox::Ok);
        failure.exec();
        return 1;
    }
    {
        CGleanworkSheet sheet("Gleanwork 1.0 Administrator", nullptr, 0);
        sheet.exec();
    }
    CAgentOutputDlg::EndAllRuns();
    return 0;
}

}  // namespace gleanwork

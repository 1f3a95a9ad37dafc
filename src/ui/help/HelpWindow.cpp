#include "ui/help/HelpWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/help/HelpText.h"

namespace gleanwork {

namespace {

QDialog* MakeHelpWindow() {
    auto* window = new QDialog(nullptr, Qt::Window);
    window->setObjectName("HelpWindow");
    window->setWindowTitle("Gleanwork Help");
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser(window);
    text->setOpenExternalLinks(false);
    text->setHtml(QString::fromUtf8(HelpText()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    window->resize(640, 560);
    return window;
}

}  // namespace

void ShowHelpWindow(QWidget* near) {
    static QPointer<QDialog> window;
    if (window.isNull()) {
        window = MakeHelpWindow();
        if (near != nullptr) {
            const QPoint corner = near->frameGeometry().topRight();
            window->move(corner.x() + 16, corner.y());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace gleanwork

#include "ui/help/HelpWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/help/HelpText.h"

namespace gleanwork {

namespace {

QDialog* MakeHelpWindow(QWidget* owner) {
    auto* window = new QDialog(owner, Qt::Window);
    window->setObjectName("HelpWindow");
    window->setWindowTitle("Gleanwork Help");
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser(window);
    text->setOpenExternalLinks(false);
    text->setHtml(HelpText());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    buttons->button(QDialogButtonBox::Close)->setIcon(QIcon());
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    window->resize(640, 560);
    return window;
}

// Where a window of `size` goes: right of `near`, else left of it, and
// always inside `screen`.
QPoint PlaceBeside(const QRect& near, const QSize& size, const QRect& screen) {
    constexpr int kGap = 16;
    int x = near.right() + kGap;
    if (x + size.width() > screen.right()) {
        x = near.left() - kGap - size.width();
    }
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() - size.width()));
    const int y = std::clamp(near.top(), screen.top(),
                             std::max(screen.top(), screen.bottom() - size.height()));
    return {x, y};
}

}  // namespace

// The help window belongs to the window it was asked from: a modal sheet
// leaves its own child windows usable, while it blocks every other one.
void ShowHelpWindow(QWidget* near) {
    static QPointer<QDialog> window;
    QWidget* owner = near == nullptr ? nullptr : near->window();
    if (!window.isNull() && window->parentWidget() != owner) {
        delete window.data();
    }
    if (window.isNull()) {
        window = MakeHelpWindow(owner);
        if (near != nullptr) {
            window->move(PlaceBeside(near->frameGeometry(), window->frameGeometry().size(),
                                     near->screen()->availableGeometry()));
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace gleanwork

#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace gleanwork::test {

// What a watch saw of the modal widget it acted on.
struct ModalSeen {
    bool acted = false;
    QString title;
    QString text;  // a message box's text
};

// Watches, every few milliseconds, for a modal `Window` other than the one
// active when the watch was set, and works it with `work` once, on the next
// turn of the event loop. Any other modal widget still up after five seconds
// is closed, so that no test waits for ever. Set the watch before the call
// that opens the modal window; releasing the result ends it.
template <typename Window>
std::shared_ptr<ModalSeen> WhenModalWindow(std::function<void(Window&)> work) {
    auto seen = std::make_shared<ModalSeen>();
    auto* timer = new QTimer(qApp);
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    auto ticksLeft = std::make_shared<int>(500);  // of 10 ms
    QObject::connect(timer, &QTimer::timeout, timer, [=, watched = std::weak_ptr(seen)] {
        const std::shared_ptr<ModalSeen> held = watched.lock();
        QWidget* modal = QApplication::activeModalWidget();
        auto* window = qobject_cast<Window*>(modal);
        if (held && window != nullptr && modal != before && window->isVisible()) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            *held = {true, window->windowTitle(), box != nullptr ? box->text() : QString()};
            QTimer::singleShot(0, window, [window, work] { work(*window); });
        }
        if (!held || held->acted || --*ticksLeft <= 0) {
            if (held && !held->acted && modal != nullptr && modal != before) {
                modal->close();
            }
            timer->deleteLater();
            timer->stop();
        }
    });
    timer->start(10);
    return seen;
}

// Answers the next message box with `button`.
inline std::shared_ptr<ModalSeen> AnswerMessageBox(QMessageBox::StandardButton button) {
    return WhenModalWindow<QMessageBox>(
        [button](QMessageBox& box) { box.button(button)->click(); });
}

// The top-level widgets that are a `Window`, in the application's order.
template <typename Window>
QList<Window*> TopLevel() {
    QList<Window*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget)) {
            found << window;
        }
    }
    return found;
}

}  // namespace gleanwork::test

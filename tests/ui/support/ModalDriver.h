#pragma once

#include <QApplication>
#include <QList>
#include <QMessageBox>
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

// Watches, every few milliseconds, for a modal widget other than the one
// active when the watch was set, and calls `action` on it once. A modal
// widget that `action` declines (returns false) until `timeoutMs` passes is
// closed, so that no test waits for ever. Set the watch before the call that
// opens the modal widget; releasing the result ends it.
std::shared_ptr<ModalSeen> WhenModal(std::function<bool(QWidget*)> action, int timeoutMs = 5000);

// Answers the next message box with `button`.
std::shared_ptr<ModalSeen> AnswerMessageBox(QMessageBox::StandardButton button);

// Works the next modal `Window` with `work`, on the next turn of the event
// loop; other modal widgets are declined.
template <typename Window>
std::shared_ptr<ModalSeen> WhenModalWindow(std::function<void(Window&)> work) {
    return WhenModal([work](QWidget* modal) {
        auto* window = qobject_cast<Window*>(modal);
        if (window != nullptr) {
            QTimer::singleShot(0, window, [window, work] { work(*window); });
        }
        return window != nullptr;
    });
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

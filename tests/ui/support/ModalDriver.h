#pragma once

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QWidget;

namespace gleanwork::test {

// What a watch saw of the modal widget it acted on.
struct ModalSeen {
    bool acted = false;
    QString title;
    QString text;  // a message box's text
    QString className;
};

// Watches, every few milliseconds, for a modal widget that differs from the
// one active when the watch was set, and calls `action` on it once. When
// nothing shows up within `timeoutMs`, the watch gives up; when a modal
// widget is up but `action` declined it (returned false) until then, the
// widget is closed so that no test waits for ever. The watch ends early when
// the returned object is released. Start the watch before the call that
// opens the modal widget.
std::shared_ptr<ModalSeen> WhenModal(std::function<bool(QWidget*)> action, int timeoutMs = 5000);

// Answers the next message box with `button`.
std::shared_ptr<ModalSeen> AnswerMessageBox(QMessageBox::StandardButton button,
                                            int timeoutMs = 5000);

// Works the next modal `Window` with `work`, on the turn of the event loop
// after the watch has recorded it; other modal widgets are declined.
template <typename Window>
std::shared_ptr<ModalSeen> WhenModalWindow(std::function<void(Window&)> work,
                                           int timeoutMs = 5000) {
    return WhenModal(
        [work](QWidget* modal) {
            auto* window = qobject_cast<Window*>(modal);
            if (window == nullptr) {
                return false;
            }
            QTimer::singleShot(0, window, [window, work] { work(*window); });
            return true;
        },
        timeoutMs);
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

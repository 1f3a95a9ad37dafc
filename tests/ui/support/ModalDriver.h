#pragma once

#include <QMessageBox>
#include <QString>
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

}  // namespace gleanwork::test

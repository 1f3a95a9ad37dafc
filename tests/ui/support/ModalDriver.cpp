#include "support/ModalDriver.h"

#include <QAbstractButton>
#include <QPointer>

namespace gleanwork::test {

std::shared_ptr<ModalSeen> WhenModal(std::function<bool(QWidget*)> action, int timeoutMs) {
    auto seen = std::make_shared<ModalSeen>();
    auto* timer = new QTimer(qApp);
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    auto ticksLeft = std::make_shared<int>(timeoutMs / 10);
    QObject::connect(timer, &QTimer::timeout, timer, [=, watched = std::weak_ptr(seen)] {
        const std::shared_ptr<ModalSeen> held = watched.lock();
        QWidget* modal = QApplication::activeModalWidget();
        const bool fresh = held && modal != nullptr && modal != before && modal->isVisible();
        if (fresh) {
            held->title = modal->windowTitle();
            auto* box = qobject_cast<QMessageBox*>(modal);
            held->text = box != nullptr ? box->text() : QString();
            held->acted = action(modal);
        }
        if (!held || (fresh && held->acted) || --*ticksLeft <= 0) {
            if (fresh && !held->acted) {
                modal->close();
            }
            timer->deleteLater();
            timer->stop();
        }
    });
    timer->start(10);
    return seen;
}

std::shared_ptr<ModalSeen> AnswerMessageBox(QMessageBox::StandardButton button) {
    return WhenModal([button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box != nullptr && box->button(button) != nullptr) {
            QTimer::singleShot(0, box->button(button), &QAbstractButton::click);
        }
        return box != nullptr && box->button(button) != nullptr;
    });
}

}  // namespace gleanwork::test

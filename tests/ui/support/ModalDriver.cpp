#include "support/ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace gleanwork::test {

namespace {

constexpr int kPollMilliseconds = 10;

void Record(ModalSeen& seen, QWidget* modal) {
    seen.title = modal->windowTitle();
    seen.className = QString::fromLatin1(modal->metaObject()->className());
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.text = box->text();
    }
}

void CloseModal(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

}  // namespace

std::shared_ptr<ModalSeen> WhenModal(std::function<bool(QWidget*)> action, int timeoutMs) {
    auto seen = std::make_shared<ModalSeen>();
    auto* timer = new QTimer(qApp);
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    const int mostTicks = timeoutMs / kPollMilliseconds;
    auto ticks = std::make_shared<int>(0);
    const std::weak_ptr<ModalSeen> watched = seen;
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        const std::shared_ptr<ModalSeen> held = watched.lock();
        if (held == nullptr) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        const bool fresh = modal != nullptr && modal != before.data() && modal->isVisible();
        if (fresh && action(modal)) {
            Record(*held, modal);
            held->acted = true;
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (++*ticks >= mostTicks) {
            if (fresh) {
                Record(*held, modal);
                CloseModal(modal);
            }
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(kPollMilliseconds);
    return seen;
}

std::shared_ptr<ModalSeen> AnswerMessageBox(QMessageBox::StandardButton button, int timeoutMs) {
    return WhenModal(
        [button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr || box->button(button) == nullptr) {
                return false;
            }
            // Clicked on the next turn of the event loop, once the watch has
            // recorded the box.
            QTimer::singleShot(0, box->button(button), &QAbstractButton::click);
            return true;
        },
        timeoutMs);
}

}  // namespace gleanwork::test

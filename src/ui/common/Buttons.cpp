#include "ui/common/Buttons.h"

#include <QKeyEvent>
#include <QPushButton>

namespace gleanwork {

namespace {

// Never the window's default button, so that it does not take Enter over
// from OK when it gets the focus, yet pressed by Enter while it has it.
class FocusPressedButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (!event->isAutoRepeat()) {
                click();
            }
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

}  // namespace

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* objectName) {
    auto* button = new FocusPressedButton(caption, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

}  // namespace gleanwork

#include "ui/run/WindowCascade.h"

#include <QScreen>
#include <QWidget>

namespace gleanwork {

namespace {

constexpr int kCascadeStep = 32;

}  // namespace

void PlaceCascaded(QWidget& window, const QWidget* previous) {
    if (previous == nullptr || !previous->isVisible()) {
        return;
    }
    const QRect screen = previous->screen()->availableGeometry();
    QPoint position = previous->pos() + QPoint(kCascadeStep, kCascadeStep);
    const QRect placed(position, window.frameGeometry().size());
    if (!screen.contains(placed)) {
        position = screen.topLeft();
    }
    window.move(position);
}

}  // namespace gleanwork

#include "ui/run/WindowCascade.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace gleanwork {

namespace {

constexpr int kCascadeStep = 32;
constexpr int kGap = 8;

// `place` moved as little as it takes to lie on `screen`, as far as it fits.
QPoint OnScreen(const QRect& screen, const QRect& place) {
    const int x =
        std::max(screen.left(), std::min(place.left(), screen.right() + 1 - place.width()));
    const int y =
        std::max(screen.top(), std::min(place.top(), screen.bottom() + 1 - place.height()));
    return {x, y};
}

qint64 CoveredArea(const QRect& place, const QRect& opener) {
    const QRect covered = place.intersected(opener);
    return covered.isEmpty() ? 0 : qint64{covered.width()} * covered.height();
}

}  // namespace

QPoint NewWindowPosition(const QRect& screen, const QSize& size, const QRect& previous,
                         const QRect& opener) {
    if (!previous.isEmpty()) {
        const QRect cascaded(previous.topLeft() + QPoint(kCascadeStep, kCascadeStep), size);
        if (screen.contains(cascaded) && CoveredArea(cascaded, opener) == 0) {
            return cascaded.topLeft();
        }
    }
    if (opener.isEmpty()) {
        return screen.topLeft();
    }
    const std::vector<QPoint> beside{
        {opener.right() + 1 + kGap, opener.top()},
        {opener.left() - kGap - size.width(), opener.top()},
        {opener.left(), opener.bottom() + 1 + kGap},
        {opener.left(), opener.top() - kGap - size.height()},
    };
    QPoint best;
    qint64 leastCovered = -1;
    for (const QPoint& corner : beside) {
        const QPoint place = OnScreen(screen, QRect(corner, size));
        const qint64 covered = CoveredArea(QRect(place, size), opener);
        if (leastCovered < 0 || covered < leastCovered) {
            best = place;
            leastCovered = covered;
        }
    }
    return best;
}

void PlaceNewWindow(QWidget& window, const QWidget* previous, const QWidget* opener) {
    const bool cascade = previous != nullptr && previous->isVisible();
    if (!cascade && opener == nullptr) {
        return;
    }
    const QWidget& near = opener != nullptr ? *opener : *previous;
    const QRect screen = near.screen()->availableGeometry();
    window.move(NewWindowPosition(screen, window.frameGeometry().size(),
                                  cascade ? previous->frameGeometry() : QRect(),
                                  opener != nullptr ? opener->frameGeometry() : QRect()));
}

}  // namespace gleanwork

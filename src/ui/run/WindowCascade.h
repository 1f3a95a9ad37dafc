#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace gleanwork {

// Where a new window of `size` goes on `screen` (the screen's free area):
// down and to the right of `previous`, the window opened before it, while
// that stays on the screen; else beside `opener`, the window it was opened
// from, so that it does not cover it: right of it, left of it, below or
// above, the first of these places (moved onto the screen) that covers the
// least of it. With neither a previous window nor an opener, the top left
// of the screen. Empty rectangles stand for windows that are not there.
QPoint NewWindowPosition(const QRect& screen, const QSize& size, const QRect& previous,
                         const QRect& opener);

// Moves `window`, not yet shown, to its NewWindowPosition. With neither a
// shown `previous` nor an `opener` it is left where the window system puts
// it.
void PlaceNewWindow(QWidget& window, const QWidget* previous, const QWidget* opener);

}  // namespace gleanwork

#pragma once

class QWidget;

namespace gleanwork {

// Places `window` down and to the right of `previous` when that is shown, so
// that a new window does not cover it; back at the top left of the screen
// when it would leave the screen.
void PlaceCascaded(QWidget& window, const QWidget* previous);

}  // namespace gleanwork

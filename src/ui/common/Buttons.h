#pragma once

class QPushButton;
class QString;
class QWidget;

namespace gleanwork {

// A push button named `objectName` that Enter presses while it has the
// focus, as Space does. It never becomes the window's default button, so
// Enter anywhere else still presses the default button (OK on a sheet) and
// does nothing in a window that has none.
QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* objectName);

}  // namespace gleanwork

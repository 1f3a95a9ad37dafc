#pragma once

class QPushButton;
class QString;
class QWidget;

namespace gleanwork {

// A push button named `objectName` that Enter never presses: it does not
// become the window's default button when it takes the focus, so Enter keeps
// pressing the default button (OK on a sheet) wherever the focus is.
QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* objectName);

}  // namespace gleanwork

#pragma once

class QWidget;

namespace gleanwork {

// Shows the program's help, the script language reference, in a window
// beside `near` that stays usable while `near`'s window is modal. There is
// one help window: asking again from the same window brings it to the front;
// asking from another window moves the help to that one.
void ShowHelpWindow(QWidget* near);

}  // namespace gleanwork

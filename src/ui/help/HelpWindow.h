#pragma once

class QWidget;

namespace gleanwork {

// Shows the program's help, the script language reference, in a modeless
// window beside `near`. There is one help window: asking again brings the
// open one to the front.
void ShowHelpWindow(QWidget* near);

}  // namespace gleanwork

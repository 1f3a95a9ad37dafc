#pragma once

#include <functional>

namespace gleanwork {

// The program's start-up, once a QApplication exists: readies the socket
// library through `startSockets` (0 on success), shows the Administrator
// sheet modally until the user closes it, then stops every agent run still
// going and waits for it. When the sockets cannot start, a message box says
// so and nothing else happens. Returns the program's exit status: 0 after
// the sheet, 1 after the socket failure.
int RunGleanwork(const std::function<int()>& startSockets);

}  // namespace gleanwork

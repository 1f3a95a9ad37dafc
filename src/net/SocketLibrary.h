#pragma once

namespace gleanwork {

// Readies the system's socket library for use. Returns 0 when sockets can be
// used, else the failure code. POSIX sockets need no start-up, so this fails
// only when the environment variable GLEANWORK_SOCKET_START_ERROR holds a
// nonzero number, which becomes the code: tests use it to reach the paths of
// a socket library that cannot start.
int StartSocketLibrary();

}  // namespace gleanwork

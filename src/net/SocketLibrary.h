#pragma once

namespace gleanwork {

// Readies the system's socket library for use. Returns 0 when sockets can be
// used, else the failure code. POSIX sockets need no start-up, so this always
// succeeds. It is alone in its file so that test programs can link a
// definition of their own in its place, to reach the paths of a socket
// library that cannot start.
int StartSocketLibrary();

}  // namespace gleanwork

// Test programs link this file, and with it their own StartSocketLibrary in
// place of the programs' one, which always succeeds: here the environment
// variable GLEANWORK_SOCKET_START_ERROR, when it holds a nonzero number, makes
// the start-up fail with that code.

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "net/SocketLibrary.h"

namespace gleanwork {

int StartSocketLibrary() {
    const char* forcedError = std::getenv("GLEANWORK_SOCKET_START_ERROR");
    if (forcedError == nullptr) {
        return 0;
    }
    return static_cast<int>(
        std::clamp<long>(std::strtol(forcedError, nullptr, 10), INT_MIN, INT_MAX));
}

}  // namespace gleanwork

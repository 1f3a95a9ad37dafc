#include "net/SocketLibrary.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

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

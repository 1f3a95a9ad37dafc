#include "net/SocketLibrary.h"

#include <cstdlib>

#include "net/UrlSplit.h"

namespace gleanwork {

int StartSocketLibrary() {
    const char* forcedError = std::getenv("GLEANWORK_SOCKET_START_ERROR");
    return forcedError == nullptr ? 0 : ReadPort(forcedError);
}

}  // namespace gleanwork

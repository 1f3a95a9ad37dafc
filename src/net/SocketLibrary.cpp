#include "net/SocketLibrary.h"

namespace gleanwork {

int StartSocketLibrary() {
    return 0;
}

}  // namespace gleanwork

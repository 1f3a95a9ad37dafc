#include "storage/WriteInterruption.h"

namespace gleanwork {

bool WriteInterrupted(const std::string& /*path*/) {
    return false;
}

}  // namespace gleanwork

#include "storage/SystemReason.h"

#include <string.h>

#include <vector>

namespace gleanwork {

std::string SystemReason(int error) {
    std::vector<char> buffer(256);
    // The GNU strerror_r returns the text, in the buffer or in static storage.
    return ::strerror_r(error, buffer.data(), buffer.size());
}

}  // namespace gleanwork

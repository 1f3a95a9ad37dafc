#include "base/SystemReason.h"

#include <string.h>

#include <vector>

namespace gleanwork {

std::string SystemReason(int error) {
    if (error == kForeignLinkError) {
        return "Not followed: a symbolic link that another user owns in a shared folder";
    }
    std::vector<char> buffer(256);
    // The GNU strerror_r returns the text, in the buffer or in static storage.
    return ::strerror_r(error, buffer.data(), buffer.size());
}

}  // namespace gleanwork

#include "base/StopSignal.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace gleanwork {

StopSignal::StopSignal() : event_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void StopSignal::Raise() noexcept {
    raised_.store(true);
    if (event_.IsOpen()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(event_.Get(), &one, sizeof one);
    }
}

}  // namespace gleanwork

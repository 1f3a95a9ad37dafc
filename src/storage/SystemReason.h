#pragma once

#include <string>

namespace gleanwork {

// The system's text for the errno value `error` (or kForeignLinkError),
// safe on any thread.
std::string SystemReason(int error);

}  // namespace gleanwork

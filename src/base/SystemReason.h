#pragma once

#include <string>

namespace gleanwork {

// The error code, beside the errno values, of a symbolic link that is not
// followed: one that another user planted in a shared folder.
inline constexpr int kForeignLinkError = 0x10000;

// The system's text for the errno value `error` (or kForeignLinkError),
// safe on any thread.
std::string SystemReason(int error);

}  // namespace gleanwork

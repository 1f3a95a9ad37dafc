#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The log line that reports the failure `reason`: "ERROR: " and the reason.
// Every error line of a run log, and every error diagnostic, is made here.
std::string ErrorLine(std::string_view reason);

}  // namespace gleanwork

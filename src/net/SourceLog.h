#pragma once

#include <string_view>

#include "base/ErrorLine.h"

namespace gleanwork {

// Where a source reader reports its progress and errors, one line at a time.
class SourceLog {
public:
    virtual ~SourceLog() = default;
    virtual void LogLine(std::string_view line) = 0;
    // Reports the failure `reason` as an error line (see ErrorLine).
    virtual void LogError(std::string_view reason) { LogLine(ErrorLine(reason)); }
};

}  // namespace gleanwork

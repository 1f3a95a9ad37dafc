#pragma once

#include <string_view>

namespace gleanwork {

// Where a source reader reports its progress and errors, one line at a time.
class SourceLog {
public:
    virtual ~SourceLog() = default;
    virtual void LogLine(std::string_view line) = 0;
};

}  // namespace gleanwork

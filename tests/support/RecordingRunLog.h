#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/RunLog.h"

namespace gleanwork::test {

// Keeps every run-log line, so that tests can compare whole logs.
class RecordingRunLog : public RunLog {
public:
    void LogLine(std::string_view line) override { lines.emplace_back(line); }
    void LogCommand(std::string_view line) override { lines.emplace_back(line); }

    std::vector<std::string> lines;
};

}  // namespace gleanwork::test

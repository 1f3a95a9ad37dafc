#pragma once

#include <cstdio>
#include <string_view>

#include "engine/RunLog.h"

namespace gleanwork {

// A run log that writes each line, ended by a line feed, to a stream.
class StreamRunLog : public RunLog {
public:
    explicit StreamRunLog(std::FILE* stream) : stream_(stream) {}

    void LogLine(std::string_view line) override { Write(line); }
    void LogCommand(std::string_view line) override { Write(line); }

private:
    void Write(std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stream_);
        std::fputc('\n', stream_);
    }

    std::FILE* stream_;
};

}  // namespace gleanwork

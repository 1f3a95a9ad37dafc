#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/LogEntryText.h"
#include "engine/RunLog.h"

namespace gleanwork {

// A run log that writes each line, ended by a line feed, to a stream; a line
// break inside a line is written escaped (see AppendLogEntry). With
// `gather`, lines are collected in blocks of about a megabyte before they go
// to the stream, since a run can log millions of lines; the rest goes when
// the log is destroyed. Without it each line goes to the stream at once.
class StreamRunLog : public RunLog {
public:
    explicit StreamRunLog(std::FILE* stream, bool gather = false)
        : stream_(stream), gather_(gather) {}
    StreamRunLog(const StreamRunLog&) = delete;
    StreamRunLog& operator=(const StreamRunLog&) = delete;
    ~StreamRunLog() override { Flush(); }

    void LogLine(std::string_view line) override { Write(line); }
    void LogCommand(std::string_view line) override { Write(line); }

private:
    static constexpr std::size_t kBlock = 1 << 20;

    void Write(std::string_view line) {
        if (pending_.size() + line.size() >= kBlock) {
            Flush();
        }
        AppendLogEntry(pending_, line);
        if (!gather_) {
            Flush();
        }
    }

    void Flush() {
        std::fwrite(pending_.data(), 1, pending_.size(), stream_);
        pending_.clear();
    }

    std::FILE* stream_;
    bool gather_;
    std::string pending_;
};

}  // namespace gleanwork

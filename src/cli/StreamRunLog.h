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
// When a write to the stream fails, one "ERROR: " line naming `name` goes to
// standard error and nothing more is written to the stream.
class StreamRunLog : public RunLog {
public:
    explicit StreamRunLog(std::FILE* stream, bool gather = false, std::string name = {})
        : stream_(stream), gather_(gather), name_(std::move(name)) {}
    StreamRunLog(const StreamRunLog&) = delete;
    StreamRunLog& operator=(const StreamRunLog&) = delete;
    ~StreamRunLog() override { Flush(); }

    void LogLine(std::string_view line) override { Write(line); }
    void LogCommand(std::string_view line) override { Write(line); }

    // Writes what is gathered; false when a write to the stream has failed.
    bool Flush();

private:
    static constexpr std::size_t kBlock = 1 << 20;

    void Write(std::string_view line);
    void Put(std::string_view bytes);
    void ReportFailure(int error);

    std::FILE* stream_;
    bool gather_;
    std::string name_;
    std::string pending_;
    bool failed_ = false;
};

}  // namespace gleanwork

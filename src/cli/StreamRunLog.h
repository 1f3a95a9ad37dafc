#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/LogEntryText.h"
#include "script/RunLog.h"

namespace gleanwork {

// A run log that writes each line, ended by a line feed, to a file
// descriptor; a line break inside a line is written escaped (see
// WriteLogEntry).
//
// Into a file, lines gather in a block, since a run can log millions of
// them. A thread of the log's own writes a full block while lines go into
// the other one, and what the current block holds at least every
// `interval`, so that a reader of the file sees the run as it goes (also
// while it waits) and a killed run leaves all but its last moments. On standard error each line
// goes out at once, after the end of a line that a diagnostic left open there.
//
// Every write puts out whole lines. When one fails, one error line
// naming `name` goes to standard error, nothing more is written, and
// `onFailure` is called, on whichever thread found the failure.
class StreamRunLog : public RunLog {
public:
    enum class Destination { File, StandardError };
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    static constexpr std::chrono::milliseconds kInterval{100};

    // `fd` must stay open while the log lives.
    StreamRunLog(Destination destination, int fd, std::string name,
                 std::function<void()> onFailure = {}, std::size_t block = kBlock,
                 std::chrono::milliseconds interval = kInterval);
    StreamRunLog(const StreamRunLog&) = delete;
    StreamRunLog& operator=(const StreamRunLog&) = delete;
    ~StreamRunLog() override;

    void LogLine(std::string_view line) override { Add({}, line); }
    void LogCommand(std::string_view line) override { Add({}, line); }
    void LogTrace(std::string_view prefix, std::string_view text) override { Add(prefix, text); }

    // Writes what is gathered; false when a write has failed.
    bool Flush();

private:
    // Adds the line `prefix` and `text` make, escaped straight into the block.
    void Add(std::string_view prefix, std::string_view text);
    // With `mutex_` held: leaves the current block to be written (by the
    // log's thread, when it has one) and goes on in the other one, once
    // that one is written.
    void StartNextBlock(std::unique_lock<std::mutex>& lock);
    // With `mutex_` held: writes an entry too long for a block on its own,
    // the blocks written.
    void WriteLong(std::string_view prefix, std::string_view text);
    // With `mutex_` held: writes the full block, and then the lines added to
    // the current one since the last write.
    void WriteAdded();
    void Put(std::string_view bytes);
    void FlushEvery(std::stop_token stop, std::chrono::milliseconds interval);

    const Destination destination_;
    const int fd_;
    const std::string name_;
    const std::function<void()> onFailure_;
    // Only the adding thread writes into the current block, past `added_`;
    // only WriteAdded, with `mutex_` held, reads it, up to `added_`. The
    // adding thread changes blocks only with `mutex_` held, once `full_`,
    // the part of the other block still to be written, is empty.
    std::array<std::vector<char>, 2> blocks_;
    std::size_t current_ = 0;
    std::size_t end_ = 0;  // the adding thread's end of the current block
    std::atomic<std::size_t> added_{0};
    std::mutex mutex_;
    std::size_t written_ = 0;
    std::string_view full_;
    bool failed_ = false;
    std::condition_variable_any changed_;
    std::jthread flusher_;  // last: it stops before anything else goes
};

}  // namespace gleanwork

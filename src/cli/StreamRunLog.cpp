#include "cli/StreamRunLog.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "base/ErrorLine.h"
#include "base/SystemReason.h"
#include "net/StandardError.h"
#include "storage/FileWriting.h"

namespace gleanwork {

StreamRunLog::StreamRunLog(Destination destination, int fd, std::string name,
                           std::function<void()> onFailure, std::size_t block,
                           std::chrono::milliseconds interval)
    : destination_(destination),
      fd_(fd),
      name_(std::move(name)),
      onFailure_(std::move(onFailure)),
      blocks_{std::vector<char>(block), std::vector<char>(block)} {
    if (destination_ == Destination::File) {
        flusher_ = std::jthread(
            [this, interval](std::stop_token stop) { FlushEvery(std::move(stop), interval); });
    }
}

StreamRunLog::~StreamRunLog() {
    flusher_.request_stop();
    if (flusher_.joinable()) {
        flusher_.join();
    }
    Flush();
}

void StreamRunLog::Add(std::string_view prefix, std::string_view text) {
    const std::size_t longest = LongestLogEntry(prefix.size() + text.size());
    if (longest > blocks_[current_].size() - end_) {
        std::unique_lock lock(mutex_);
        StartNextBlock(lock);
        if (longest > blocks_[current_].size()) {
            return WriteLong(prefix, text);
        }
    }
    std::vector<char>& block = blocks_[current_];
    char* const out = WriteLogEntry(WriteLogText(block.data() + end_, prefix), text);
    end_ = static_cast<std::size_t>(out - block.data());
    added_.store(end_, std::memory_order_release);
    if (destination_ == Destination::StandardError) {
        Flush();
    }
}

void StreamRunLog::StartNextBlock(std::unique_lock<std::mutex>& lock) {
    if (flusher_.joinable()) {
        changed_.wait(lock, [this] { return full_.empty(); });
        full_ = std::string_view(blocks_[current_].data() + written_, end_ - written_);
        current_ = 1 - current_;
        changed_.notify_all();
    } else {
        WriteAdded();
    }
    end_ = 0;
    written_ = 0;
    added_.store(0, std::memory_order_relaxed);
}

// The entry takes the room it needs, no more: a line that logs a whole page
// costs the page's size once more, not twice.
void StreamRunLog::WriteLong(std::string_view prefix, std::string_view text) {
    const std::size_t size = LogTextSize(prefix) + LogTextSize(text) + 1;
    const auto entry = std::make_unique_for_overwrite<char[]>(size);
    WriteLogEntry(WriteLogText(entry.get(), prefix), text);
    WriteAdded();
    Put({entry.get(), size});
}

bool StreamRunLog::Flush() {
    const std::lock_guard lock(mutex_);
    WriteAdded();
    return !failed_;
}

void StreamRunLog::WriteAdded() {
    if (!full_.empty()) {
        Put(full_);
        full_ = {};
        changed_.notify_all();
    }
    const std::size_t added = added_.load(std::memory_order_acquire);
    Put(std::string_view(blocks_[current_].data() + written_, added - written_));
    written_ = added;
}

void StreamRunLog::Put(std::string_view bytes) {
    if (failed_ || bytes.empty()) {
        return;
    }
    if (destination_ == Destination::StandardError) {
        EndStandardErrorLine();
    }
    if (WriteAll(fd_, bytes)) {
        return;
    }
    const int error = errno;
    failed_ = true;
    EndStandardErrorLine();
    const std::string line =
        ErrorLine("Cannot write the run log " + name_ + ": " + SystemReason(error));
    std::fprintf(stderr, "%s\n", line.c_str());
    if (onFailure_) {
        onFailure_();
    }
}

void StreamRunLog::FlushEvery(std::stop_token stop, std::chrono::milliseconds interval) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        changed_.wait_for(lock, stop, interval, [this] { return !full_.empty(); });
        WriteAdded();
    }
}

}  // namespace gleanwork

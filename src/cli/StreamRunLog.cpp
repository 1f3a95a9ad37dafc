#include "cli/StreamRunLog.h"

#include <cerrno>
#include <cstdio>

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
      block_(block) {
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

void StreamRunLog::Add(std::string_view line) {
    const std::size_t longest = LongestLogEntry(line.size());
    if (longest > block_.size() - end_) {
        const std::lock_guard lock(mutex_);
        WriteAdded();
        end_ = 0;
        written_ = 0;
        added_.store(0, std::memory_order_relaxed);
        if (longest > block_.size()) {
            return WriteLong(line);
        }
    }
    end_ = static_cast<std::size_t>(WriteLogEntry(block_.data() + end_, line) - block_.data());
    added_.store(end_, std::memory_order_release);
    if (destination_ == Destination::StandardError) {
        Flush();
    }
}

void StreamRunLog::WriteLong(std::string_view line) {
    std::string entry(LongestLogEntry(line.size()), '\0');
    entry.resize(static_cast<std::size_t>(WriteLogEntry(entry.data(), line) - entry.data()));
    Put(entry);
}

bool StreamRunLog::Flush() {
    const std::lock_guard lock(mutex_);
    WriteAdded();
    return !failed_;
}

void StreamRunLog::WriteAdded() {
    const std::size_t added = added_.load(std::memory_order_acquire);
    Put(std::string_view(block_.data() + written_, added - written_));
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
        wake_.wait_for(lock, stop, interval, [] { return false; });
        WriteAdded();
    }
}

}  // namespace gleanwork

#include "watch/LogKeeper.h"

namespace gleanwork {

namespace {

constexpr std::size_t kReusedRoom = 256;

}  // namespace

void LogKeeper::LogLine(std::string_view line) {
    next_.LogLine(line);
    Keep(line);
}

void LogKeeper::LogCommand(std::string_view line) {
    next_.LogCommand(line);
    Keep(line);
}

void LogKeeper::LogTrace(std::string_view prefix, std::string_view text) {
    next_.LogTrace(prefix, text);
    Keep(prefix, text);
}

// Once the tail holds its lines, it is a ring: the newest line takes the
// place, and the room, of the oldest, as a run can log millions of short
// lines; a large room is let go.
void LogKeeper::Keep(std::string_view prefix, std::string_view text) {
    if (head_.size() < kKeptLogLines) {
        head_.emplace_back(prefix).append(text);
        return;
    }
    if (tail_.size() < kKeptLogLines) {
        tail_.emplace_back(prefix).append(text);
        return;
    }
    std::string& oldest = tail_[oldest_];
    if (oldest.capacity() > kReusedRoom) {
        oldest = std::string();
    }
    oldest.assign(prefix).append(text);
    oldest_ = (oldest_ + 1) % tail_.size();
    ++leftOut_;
}

LogParts LogKeeper::Parts() const {
    LogParts parts{head_, leftOut_, {}};
    const auto oldest = tail_.begin() + static_cast<std::ptrdiff_t>(oldest_);
    parts.tail.assign(oldest, tail_.end());
    parts.tail.insert(parts.tail.end(), tail_.begin(), oldest);
    return parts;
}

}  // namespace gleanwork

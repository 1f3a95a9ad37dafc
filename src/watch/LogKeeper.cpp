#include "watch/LogKeeper.h"

namespace gleanwork {

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

void LogKeeper::Keep(std::string_view prefix, std::string_view text) {
    if (head_.size() < kKeptLogLines) {
        head_.emplace_back(prefix).append(text);
        return;
    }
    if (tail_.size() < kKeptLogLines) {
        tail_.emplace_back(prefix).append(text);
        return;
    }
    tail_[oldest_].assign(prefix).append(text);
    oldest_ = (oldest_ + 1) % tail_.size();
    ++leftOut_;
}

LogParts LogKeeper::Parts() const {
    LogParts parts{head_, leftOut_, {}};
    parts.tail.reserve(tail_.size());
    parts.tail.insert(parts.tail.end(), tail_.begin() + oldest_, tail_.end());
    parts.tail.insert(parts.tail.end(), tail_.begin(), tail_.begin() + oldest_);
    return parts;
}

}  // namespace gleanwork

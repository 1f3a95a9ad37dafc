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

void LogKeeper::Keep(std::string_view line) {
    if (head_.size() < kKeptLogLines) {
        head_.emplace_back(line);
        return;
    }
    tail_.emplace_back(line);
    if (tail_.size() > kKeptLogLines) {
        tail_.pop_front();
        ++leftOut_;
    }
}

LogParts LogKeeper::Parts() const {
    return {head_, leftOut_, {tail_.begin(), tail_.end()}};
}

}  // namespace gleanwork

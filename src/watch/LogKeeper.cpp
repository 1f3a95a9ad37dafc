#include "watch/LogKeeper.h"

#include <algorithm>
#include <utility>

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
    ++lines_;
    if (head_.size() < kKeptLogLines) {
        head_.emplace_back(prefix).append(text);
        return;
    }
    if (newer_.ends.size() == kKeptLogLines) {
        std::swap(older_, newer_);
        newer_.text.clear();
        newer_.ends.clear();
    }
    newer_.text.append(prefix).append(text);
    newer_.ends.push_back(newer_.text.size());
}

void LogKeeper::Block::AppendLinesTo(std::vector<std::string>& lines, std::size_t skip) const {
    for (std::size_t line = skip; line < ends.size(); ++line) {
        const std::size_t start = line == 0 ? 0 : ends[line - 1];
        lines.emplace_back(text, start, ends[line] - start);
    }
}

LogParts LogKeeper::Parts() const {
    const std::size_t fromOlder = kKeptLogLines - newer_.ends.size();
    const std::size_t skipped = older_.ends.size() - std::min(fromOlder, older_.ends.size());
    LogParts parts{head_, 0, {}};
    parts.tail.reserve(kKeptLogLines);
    older_.AppendLinesTo(parts.tail, skipped);
    newer_.AppendLinesTo(parts.tail, 0);
    parts.leftOut = lines_ - head_.size() - parts.tail.size();
    return parts;
}

}  // namespace gleanwork

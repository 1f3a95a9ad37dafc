#include "ui/run/RunLogLines.h"

#include <algorithm>

namespace gleanwork {

namespace {

// Lines are packed into blocks of this size; a longer line gets a block of
// its own. Blocks never grow past their reserved size, so packing a line
// never moves the text already stored.
constexpr std::size_t kBlockSize = std::size_t{1} << 20;

}  // namespace

void RunLogLines::Append(std::string_view line) {
    const std::lock_guard lock(mutex_);
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < line.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockSize, line.size()));
    }
    std::string& block = blocks_.back();
    spans_.push_back(LineSpan{static_cast<std::uint32_t>(blocks_.size() - 1),
                              static_cast<std::uint32_t>(block.size()), line.size()});
    block.append(line);
    longest_ = std::max(longest_, line.size());
}

std::size_t RunLogLines::Count() const {
    const std::lock_guard lock(mutex_);
    return spans_.size();
}

std::string RunLogLines::Line(std::size_t index, std::size_t mostCharacters) const {
    const std::lock_guard lock(mutex_);
    if (index >= spans_.size()) {
        return {};
    }
    const LineSpan& span = spans_[index];
    return blocks_[span.block].substr(span.offset, std::min(span.length, mostCharacters));
}

std::size_t RunLogLines::LongestLength() const {
    const std::lock_guard lock(mutex_);
    return longest_;
}

}  // namespace gleanwork
